#pragma once

// Runs the kmission-tool of this build (KMISSION_TOOL, set by the build) as a
// separate process, as users run it.

#include "process_run.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kmission::test {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Standard input is the file `inputPath` when given.
inline ToolRun RunTool(const std::vector<std::string>& arguments,
                       const std::string& inputPath = {}) {
    QStringList list;
    for (const std::string& argument : arguments) {
        list << QString::fromStdString(argument);
    }
    const ProcessResult run =
        RunProgram(KMISSION_TOOL, list, QProcessEnvironment::systemEnvironment(),
                   QString::fromStdString(inputPath));
    return {run.exitCode, run.out.toStdString(), run.err.toStdString()};
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace kmission::test
