#include "command.h"

#include <QCommandLineParser>
#include <QFile>
#include <QImageWriter>

#include <algorithm>

namespace kmission::tool {

Command::Command(std::string name, std::string summary, std::string details,
                 std::vector<Argument> arguments, std::vector<Option> options)
    : name_(std::move(name)), summary_(std::move(summary)), details_(std::move(details)),
      arguments_(std::move(arguments)), options_(std::move(options)) {}

std::string Command::usageLine() const {
    std::string line = std::string("Usage: ") + kToolName + " " + name_;
    for (const Option& option : options_) {
        line +=
            " [--" + option.name + (option.valueName.empty() ? "" : " " + option.valueName) + "]";
    }
    for (const Argument& argument : arguments_) {
        line += " " + argument.name;
    }
    return line;
}

std::string Command::helpText() const {
    std::string text = usageLine() + "\n\n" + details_ + "\n\nArguments:\n";
    std::size_t width = 0;
    for (const Argument& argument : arguments_) {
        width = std::max(width, argument.name.size());
    }
    for (const Argument& argument : arguments_) {
        text += "  " + argument.name + std::string(width - argument.name.size() + 2, ' ') +
                argument.description + "\n";
    }
    std::vector<std::pair<std::string, std::string>> options;
    for (const Option& option : options_) {
        options.emplace_back("--" + option.name +
                                 (option.valueName.empty() ? "" : " " + option.valueName),
                             option.description);
    }
    options.emplace_back("-h, --help", "Show this help.");
    width = 0;
    for (const auto& [synopsis, description] : options) {
        width = std::max(width, synopsis.size());
    }
    text += "\nOptions:\n";
    for (const auto& [synopsis, description] : options) {
        text +=
            "  " + synopsis + std::string(width - synopsis.size() + 2, ' ') + description + "\n";
    }
    return text;
}

int Command::execute(const QStringList& arguments, const Output& output) {
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{"h", "help"});
    parser.addOption(help);
    for (const Option& option : options_) {
        parser.addOption(QCommandLineOption(QString::fromStdString(option.name),
                                            QString::fromStdString(option.description),
                                            QString::fromStdString(option.valueName)));
    }
    // The parser takes the first element as the program's name.
    if (!parser.parse(QStringList{QString::fromStdString(name_)} + arguments)) {
        output.err << kToolName << " " << name_ << ": " << parser.errorText().toStdString() << "\n"
                   << usageLine() << "\n";
        return kExitUsage;
    }
    if (parser.isSet(help)) {
        output.out << helpText();
        return kExitOk;
    }
    const QStringList positional = parser.positionalArguments();
    const bool variadic = !arguments_.empty() && arguments_.back().name.ends_with("...");
    const auto declared = static_cast<qsizetype>(arguments_.size());
    if (variadic ? positional.size() < declared : positional.size() != declared) {
        output.err << kToolName << " " << name_ << ": expected " << (variadic ? "at least " : "")
                   << arguments_.size() << (arguments_.size() == 1 ? " argument" : " arguments")
                   << ", got " << positional.size() << "\n"
                   << usageLine() << "\n";
        return kExitUsage;
    }
    optionValues_.clear();
    for (const Option& option : options_) {
        const QString name = QString::fromStdString(option.name);
        if (parser.isSet(name)) {
            optionValues_[option.name] =
                option.valueName.empty() ? QStringList{QString()} : parser.values(name);
        }
    }
    return run(positional, output);
}

std::optional<QString> Command::optionValue(const std::string& name) const {
    const auto found = optionValues_.find(name);
    if (found == optionValues_.end()) {
        return std::nullopt;
    }
    return found->second.back();
}

QStringList Command::optionValues(const std::string& name) const {
    const auto found = optionValues_.find(name);
    return found == optionValues_.end() ? QStringList{} : found->second;
}

std::string NativePath(const QString& argument) {
    return QFile::encodeName(argument).toStdString();
}

int WritePng(const QImage& image, const QString& path, const Output& output,
             PngCompression compression) {
    QImageWriter writer(path, "png");
    if (compression == PngCompression::Fast) {
        // Stored without deflating: the default level took three quarters of
        // a render, zlib's fastest still a third; the file has the pixels'
        // own size, which a preview can afford.
        writer.setCompression(0);
    }
    if (!writer.write(image)) {
        output.err << kToolName << ": cannot write " << NativePath(path) << ": "
                   << writer.errorString().toStdString() << "\n";
        return kExitRefused;
    }
    return kExitOk;
}

} // namespace kmission::tool
