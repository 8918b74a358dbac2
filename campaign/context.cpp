// quarnCampaign's process-wide state (see context.h).
#include "campaign/context.h"

#include <unistd.h>

#include <climits>

std::string selfPath;
std::string quarnMainPath;
std::string clientPath;
std::string scriptPath;

volatile std::sig_atomic_t campaignSignal;
volatile std::sig_atomic_t campaignSignalCount;

namespace {

void onSignal(int signal) {
    campaignSignal = signal;
    campaignSignalCount = campaignSignalCount + 1;
}

}  // namespace

void setUpState() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    selfPath = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : "quarnCampaign";
    const std::string bin = selfPath.substr(0, selfPath.rfind('/') + 1);
    quarnMainPath = bin + "quarnMain";
    clientPath = bin + "quarnClient";
    scriptPath = QUARN_SCRIPT_DIR "/campaign.sbatch";
}

void installCampaignSignals() {
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}
