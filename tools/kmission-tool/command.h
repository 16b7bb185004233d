#pragma once

#include <QImage>
#include <QStringList>

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kmission::tool {

// Exit codes of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused =
    1;                               // the editor would have refused the file or the command failed
inline constexpr int kExitUsage = 2; // unknown command, option or wrong number of arguments

inline constexpr const char* kToolName = "kmission-tool";

// Where a command writes: results on `out`, messages and errors on `err`.
struct Output {
    std::ostream& out;
    std::ostream& err;
};

// One subcommand of the tool. `execute` handles what all commands share
// (--help, unknown options, the number of arguments) and then calls `run`
// with exactly the positional arguments the command declares; the values of
// the options it declares are then at hand through `optionValue`.
class Command {
public:
    // A name ending in "..." (only the last argument) takes one or more.
    struct Argument {
        std::string name;        // "ARCHIVE"
        std::string description; // one line
    };
    // An option that takes a value: --NAME VALUE or --NAME=VALUE, and may be
    // given more than once; without a value name a switch: --NAME.
    struct Option {
        std::string name;        // "size"
        std::string valueName;   // "N", or empty for a switch
        std::string description; // one line
    };

    Command(std::string name, std::string summary, std::string details,
            std::vector<Argument> arguments, std::vector<Option> options = {});
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    const std::string& name() const { return name_; }
    const std::string& summary() const { return summary_; }
    std::string usageLine() const;
    std::string helpText() const;

    // `arguments` are what follows the command name on the command line.
    int execute(const QStringList& arguments, const Output& output);

protected:
    virtual int run(const QStringList& arguments, const Output& output) = 0;

    // The value given for the declared option `name` (the last one when it was
    // given more than once); nothing when it was not given.
    std::optional<QString> optionValue(const std::string& name) const;
    // Every value given for `name`, in command-line order.
    QStringList optionValues(const std::string& name) const;
    bool switchSet(const std::string& name) const { return optionValue(name).has_value(); }

private:
    std::string name_;
    std::string summary_;
    std::string details_;
    std::vector<Argument> arguments_;
    std::vector<Option> options_;
    std::map<std::string, QStringList> optionValues_;
};

// A native file path from a command-line argument.
std::string NativePath(const QString& argument);

// How hard a PNG is compressed: the same pixels either way; previews are
// written fast, at the cost of a larger file.
enum class PngCompression { Default, Fast };

// Writes `image` as a PNG file to the path given as an argument: kExitOk, or
// kExitRefused with the reason on the error output.
int WritePng(const QImage& image, const QString& path, const Output& output,
             PngCompression compression = PngCompression::Default);

} // namespace kmission::tool
