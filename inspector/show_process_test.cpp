// Tests of the real quarnShow program: the status and message of each kind of bad input, and
// the results page, rebuilt incrementally and opened in headless Chromium as a person would
// see it: every picture loaded, every class pair listed with its member pairs, a screenshot
// that is not blank.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <set>

#include "inspector/constants.h"
#include "inspector/image.h"
#include "test/support.h"

namespace {

const std::string passM = "sin(M*V-m*v)/e", passV = "V-m-M*v", show = QUARN_SHOW_PATH;

class ShowProgram : public TempDirTest {};

TEST_F(ShowProgram, BadInputsGetTheirStatusAMessageAndNoFiles) {
    writeFile(path("file"), "");
    const std::string png = path("x.png"), m494 = passM + std::string(494 - passM.size(), ' ');
    const std::string refused = "score: none\nanswer: f\nsteps: 0\nwhy: refused: M has 494 ";
    const std::string x = path("file/x");  // in a folder that is a file
    const std::string full = "quarnShow: cannot write /dev/full: No space left on device\n";
    const std::string written = " (1678 x 508)\ncsv: " + path("x.csv") + "\n";
    // Names that are not regular files are written in place, never replaced: a link to a full
    // device of the test's own.
    ASSERT_EQ(0, mknod(path("full").c_str(), S_IFCHR | 0666, makedev(1, 7)));
    ASSERT_EQ(0, symlink(path("full").c_str(), path("out.png").c_str()));
    for (const auto &[args, status, out, err] :
         std::vector<std::tuple<std::vector<std::string>, int, std::string, std::string>>{
             {{"--png", png, m494, passV}, EXIT_REFUSED, refused, ""},
             {{"--png", png, "m+", passV}, EXIT_NOT_EVALUATED, "why: does not compile: ", ""},
             {{"--png", x + ".png", passM, passV}, EXIT_IO_ERROR, "score: 4\n", x + ".png: Not a"},
             {{"--csv", x + ".csv", passM, passV}, EXIT_IO_ERROR, "score: 4\n", x + ".csv: Not a"},
             {{"--png", png, "--csv", "/dev/full", passM, passV}, EXIT_IO_ERROR, "picture: ", full},
             {{"--png", png, "--csv", path("x.csv"), passM, passV}, EXIT_EVALUATED, written, ""},
             {{"--png", "out.png", passM, passV}, EXIT_IO_ERROR, "score: 4\n", "png: No space"}}) {
        std::vector<std::string> argv = {show};
        argv.insert(argv.end(), args.begin(), args.end());
        ASSERT_EQ(0, symlink(path("planted").c_str(), (png + ".tmp").c_str()));  // never followed
        RunResult r = runProgram(dir, argv);
        std::filesystem::remove(png + ".tmp");
        EXPECT_EQ(status, r.status) << args[1];
        EXPECT_EQ(1, count(r.out, out)) << r.out;
        EXPECT_EQ(1, count(r.err, err)) << r.err;
        EXPECT_EQ(args[2] == "--csv", !readFile(png).empty());  // a picture only of a pair scored
        removeTree(png);
    }
    struct stat st;
    EXPECT_TRUE(lstat(path("full").c_str(), &st) == 0 && S_ISCHR(st.st_mode));
    EXPECT_TRUE(lstat(path("out.png").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_FALSE(std::filesystem::exists(path("planted")));
    ASSERT_EQ(0, mkfifo(path("fifo").c_str(), 0600));  // nobody writes it: a read must not wait
    RunResult r = runProgram(dir, {show, "page", "fifo", "out"}, {}, 10);
    EXPECT_EQ(EXIT_IO_ERROR, r.status);
    EXPECT_EQ("quarnShow: cannot read fifo: not a regular file\n", r.err);
}

// Opens `url` in headless Chromium with `what` (--dump-dom or --screenshot=...): its output.
std::string chromium(const std::string &dir, const std::string &what, const std::string &url) {
    RunResult r = runProgram(
        dir,
        {QUARN_CHROMIUM_PATH, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--user-data-dir=" + dir + "/profile" + std::to_string(url.size()),
         "--allow-file-access-from-files", "--window-size=1280,900", what, url},
        {}, 60);
    EXPECT_EQ(0, r.status) << r.err;
    return r.out;
}

// Looks into the page from a frame, once everything has loaded, and writes what it found
// into an attribute of its own body, which --dump-dom prints.
const char *const inspector = R"(<!DOCTYPE html>
<html><body><iframe id="page" src="index.html" width="1200" height="900"></iframe><script>
window.addEventListener('load', function () {
  var d = document.getElementById('page').contentDocument;
  var loaded = Array.from(d.images).filter(i => i.complete && i.naturalWidth > 0).length;
  document.body.setAttribute('data-seen', 'images=' + d.images.length + ' loaded=' + loaded +
      ' pairs=' + d.querySelectorAll('tr.pair').length + ' bold=' + d.querySelectorAll('b').length +
      ' members=' + d.querySelectorAll('li.member').length);
});
</script></body></html>)";

TEST_F(ShowProgram, ResultsPageIsIncrementalAndShowsEveryPairInABrowser) {
    const std::string pass = "M = " + passM + ", V = " + passV + "\n";
    writeFile(path("best.txt"), pass + "M = M+m+V+v, V = M+m+V+v\n" + pass);
    writeFile(path("more.txt"),
              "M = m<b>&, V = V\nM = tanh(v*m-V*M)*100, V = (v+V)+M/m\n"
              "M = sin(V*M-m*v)/e, V = V-m-v*M\n");  // the passing pair's class
    const std::vector<std::string> page = {show, "page", "best.txt", "more.txt", "out"};
    RunResult r = runProgram(dir, page);
    ASSERT_EQ(0, r.status) << r.err;
    const std::string counts =
        "5 distinct pairs from 6 lines (1 repeats, 0 skipped), 2 passing; 4 class pairs, 4 "
        "families";
    EXPECT_EQ("page: out/index.html: " + counts + "; pictures: 3 drawn, 0 kept\n", r.out);
    r = runProgram(dir, page);
    EXPECT_EQ("page: out/index.html: " + counts + "; pictures: 0 drawn, 3 kept\n", r.out);
    for (const auto &e : std::filesystem::directory_iterator(path("out")))  // one cut in half
        if (e.path().extension() == ".png" && r.out.find("drawn, 3") != std::string::npos)
            std::filesystem::resize_file(e.path(), e.file_size() / 2), r.out.clear();
    EXPECT_EQ("page: out/index.html: " + counts + "; pictures: 1 drawn, 2 kept\n",
              runProgram(dir, page).out);

    writeFile(path("out/inspect.html"), inspector);
    std::string dom = chromium(dir, "--dump-dom", "file://" + path("out/inspect.html"));
    EXPECT_EQ(1, count(dom, "data-seen=\"images=3 loaded=3 pairs=4 bold=0 members=2\"")) << dom;

    chromium(dir, "--screenshot=" + path("shot.png"), "file://" + path("out/index.html"));
    PngView shot;
    ASSERT_EQ(0, readPng(path("shot.png").c_str(), 1, &shot));
    std::set<int> colours;  // text, thumbnails and their colour maps
    for (std::size_t i = 0; i < shot.rgb.size(); i += 3)
        colours.insert(shot.rgb[i] << 16 | shot.rgb[i + 1] << 8 | shot.rgb[i + 2]);
    EXPECT_GT(colours.size(), 100u);
}

}  // namespace
