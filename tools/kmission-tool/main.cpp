#include "tool.h"

#include <QString>
#include <QStringList>

#include <iostream>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const int code = kmission::tool::RunTool(arguments, {std::cout, std::cerr});
    std::cout.flush();
    return code;
}
