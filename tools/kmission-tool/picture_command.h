#pragma once

#include "command.h"

namespace kmission::tool {

class PictureCommand : public Command {
public:
    PictureCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
