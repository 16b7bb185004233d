#include "make_demo_command.h"

#include "demo_installation.h"

namespace kmission::tool {

MakeDemoCommand::MakeDemoCommand()
    : Command("make-demo", "Write a demo game installation into a folder.",
              "Writes a small game installation made by this program into DIR: the\n"
              "shared archive, the map pictures and a few missions in DIR/pbd, and a\n"
              "Wine prefix in DIR/prefix whose registry names DIR as the game's folder.\n"
              "Existing files of the same names are replaced.",
              {{"DIR", "the folder to write (created when missing)"}}) {}

int MakeDemoCommand::run(const QStringList& arguments, const Output& output) {
    std::string error;
    if (!demo::WriteDemoInstallation(NativePath(arguments[0]), error)) {
        output.err << kToolName << ": " << error << "\n";
        return kExitRefused;
    }
    return kExitOk;
}

} // namespace kmission::tool
