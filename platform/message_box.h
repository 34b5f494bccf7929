#pragma once

#include <string>

namespace varno::platform {

// Style bits as the Windows message box knows them; 0 is one OK button, no icon.
inline constexpr int kMbOkOnly = 0;

class MessageBox {
public:
    virtual ~MessageBox() = default;

    // Modal; returns when the user has dismissed it. The title is the
    // application title.
    virtual void Show(const std::string& prompt, int style) = 0;
};

}  // namespace varno::platform
