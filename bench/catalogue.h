// The formulas of a catalogue folder for the proof programs: its files formulas_*.txt in name
// order, each line "F1, F2, ..., F7, " split at ", ", as the generator writes them.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

inline std::vector<std::string> readCatalogue(const char *dir) {
    std::vector<std::string> names, formulas;
    if (DIR *d = opendir(dir)) {
        while (dirent *e = readdir(d))
            if (std::string(e->d_name).starts_with("formulas_")) names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        std::ifstream in(std::string(dir) + "/" + name);
        for (std::string line; std::getline(in, line);)
            for (std::size_t at = 0, comma; (comma = line.find(", ", at)) != std::string::npos;
                 at = comma + 2)
                formulas.push_back(line.substr(at, comma - at));
    }
    return formulas;
}
