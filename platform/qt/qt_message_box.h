#pragma once

#include "core/ports/message_box.h"

namespace varno::platform {

// Qt's message box over the active modal window (the About dialog).
class QtMessageBox final : public MessageBox {
public:
    void show(const std::string& prompt, int style) override;
};

}  // namespace varno::platform
