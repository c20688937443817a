// The designer's start: the command line, the folders, the windows, and an
// end on SIGTERM or SIGHUP as if the main window's close box was pressed.
#pragma once

#include "data_folders.h"
#include "main.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <optional>

namespace kr {

// What `krmake [--help | --version | FILE]` asks for.
struct DesignerCommandLine {
    enum class Request { Run, Help, Version, UsageError };
    Request Do = Request::Run;
    QString Text;  // the help, the version line or the usage error
    std::optional<std::filesystem::path> UnitFile;
};
// `arguments` begins with the program's name, as QCoreApplication::arguments().
DesignerCommandLine ParseDesignerCommandLine(const QStringList& arguments);

// Whether the command line asks for the windows at all (not for --help or
// --version), so that those two are answered without a display.
bool NeedsWindows(int argc, char** argv);

// Creates the windows over the folders and shows the main window; then opens
// the unit file, if one is given, as the load command does after its dialog.
std::unique_ptr<DesignerSession> StartDesigner(const DataFolders& folders,
                                               const std::optional<std::filesystem::path>& unitFile);

// The whole program on an application object created by main(): a
// QApplication, or a QCoreApplication when NeedsWindows() said no.
int DesignerMain(QCoreApplication& application);

}  // namespace kr
