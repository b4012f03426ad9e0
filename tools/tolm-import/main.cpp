#include "tools/tolm-import/import_error.h"
#include "tools/tolm-import/importer.h"
#include "tools/tolm-import/overlay_import.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        if (!arguments.empty() && arguments[0] == "--overlay") {
            // tolm-import --overlay IN OUT.OVR: one vector file to one overlay file.
            if (arguments.size() != 3) throw tolm::importer::ImportError("--overlay needs IN and OUT.OVR");
            const auto result = tolm::importer::import_overlay(arguments[1], arguments[2]);
            std::cerr << "tolm-import: wrote " << arguments[2] << " (" << result.features << " features";
            if (result.skipped) std::cerr << ", " << result.skipped << " without a usable geometry left out";
            std::cerr << ")\n";
            return 0;
        }
        auto options = tolm::importer::parse_import_options(arguments);
        if (options.help) {
            std::cout << tolm::importer::import_usage();
            return 0;
        }
        tolm::importer::Progress progress(std::cerr, options.quiet);
        tolm::importer::run_import(options, progress);
        if (!options.quiet) std::cerr << "tolm-import: wrote " << options.output << "\n";
        return 0;
    } catch (const tolm::importer::ImportError& error) {
        std::cerr << "tolm-import: " << error.what() << "\n";
        if (arguments.empty()) std::cerr << tolm::importer::import_usage();
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "tolm-import: failed: " << error.what() << "\n";
        return 1;
    }
}
