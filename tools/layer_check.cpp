// Checks the source tree's layers as the build sees them: each folder may
// include its own headers and those of the folders below it, never above
// or beside, and no unit (a header with its source) may reach itself again
// through the includes of others. Run by the build: a back-reference or an
// include cycle fails it, naming the file and the line.
//
//     layer_check SOURCE_DIR

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Lowest first. Folders of one rank do not include each other.
const std::map<std::string, int> kLayers = {
    {"core", 0}, {"conductor", 1}, {"nec", 2}, {"plot", 3}, {"device", 3}, {"sheet", 4}, {"ui", 5}, {"cli", 5},
};

struct Include {
    std::string from;   // the unit that includes: "nec/report"
    std::string to;     // the unit included
    std::string where;  // "nec/report.cpp:12"
};

std::string UnitOf(const std::string& path) { return path.substr(0, path.rfind('.')); }

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: layer_check SOURCE_DIR\n";
        return 2;
    }
    const fs::path root = argv[1];
    const std::regex include(R"(^\s*#\s*include\s*"([a-z_]+)/([^"]+)\")");
    std::vector<Include> includes;
    int faults = 0;
    for (const auto& [folder, rank] : kLayers) {
        if (!fs::is_directory(root / folder)) continue;
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(root / folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".h" || extension == ".cpp") files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            const std::string name = folder + "/" + file.filename().string();
            std::ifstream in(file);
            std::string line;
            for (int number = 1; std::getline(in, line); ++number) {
                std::smatch match;
                if (!std::regex_search(line, match, include)) continue;
                const std::string target = match[1].str();
                const auto layer = kLayers.find(target);
                if (layer == kLayers.end()) continue;
                const std::string where = name + ":" + std::to_string(number);
                if (target != folder && layer->second >= rank) {
                    std::cerr << where << ": " << folder << "/ may not include " << target << "/ (\"" << target << "/"
                              << match[2].str() << "\"): it is " << (layer->second > rank ? "above" : "beside")
                              << " it\n";
                    ++faults;
                }
                const std::string to = UnitOf(target + "/" + match[2].str());
                if (to != UnitOf(name)) includes.push_back({UnitOf(name), to, where});
            }
        }
    }

    // Cycles between units, depth first.
    std::map<std::string, std::vector<const Include*>> edges;
    for (const Include& i : includes) edges[i.from].push_back(&i);
    std::map<std::string, int> state;  // 1 on the path, 2 done
    std::vector<const Include*> path;
    std::set<std::string> reported;
    const auto visit = [&](const auto& self, const std::string& unit) -> void {
        state[unit] = 1;
        for (const Include* edge : edges[unit]) {
            if (state[edge->to] == 1) {
                std::string cycle = edge->to;
                auto start =
                    std::find_if(path.begin(), path.end(), [&](const Include* e) { return e->from == edge->to; });
                std::string described;
                for (auto e = start; e != path.end(); ++e) described += " -> " + (*e)->to + " (" + (*e)->where + ")";
                described += " -> " + edge->to + " (" + edge->where + ")";
                if (reported.insert(edge->where).second) {
                    std::cerr << "include cycle: " << cycle << described << "\n";
                    ++faults;
                }
            } else if (state[edge->to] == 0) {
                path.push_back(edge);
                self(self, edge->to);
                path.pop_back();
            }
        }
        state[unit] = 2;
    };
    for (const auto& [unit, out] : edges) {
        if (state[unit] == 0) visit(visit, unit);
    }
    if (faults == 0)
        std::cout << "layers and includes: " << includes.size() << " includes, no back-reference, no cycle\n";
    return faults == 0 ? 0 : 1;
}
