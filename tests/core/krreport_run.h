// Runs the krreport program built beside the tests as a separate process and
// captures its exit status and both outputs as bytes.
#pragma once

#include "core_kit.h"

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace testkit {

struct ToolRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

inline ToolRun RunKrReport(const std::vector<std::string>& args) {
    const auto quoted = [](const std::string& arg) { return "'" + arg + "'"; };
    TempDir capture;
    std::string command = quoted(KR_RUNTIME_DIR "/krreport");
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " >" + quoted((capture / "out").string()) + " 2>" + quoted((capture / "err").string());
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.Out = ReadBytes(capture / "out");
    run.Err = ReadBytes(capture / "err");
    return run;
}

}  // namespace testkit
