#pragma once

#include "command.h"

namespace kmission::tool {

class RenderCommand : public Command {
public:
    RenderCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
