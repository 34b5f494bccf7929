#pragma once

#include <string>

namespace varno {

// Style bits as the Windows message box knows them; 0 is one OK button, no icon.
inline constexpr int kMessageOkOnly = 0;

class MessageBox {
public:
    virtual ~MessageBox() = default;

    // Modal, titled with the application title; returns when dismissed.
    virtual void show(const std::string& prompt, int style) = 0;
};

}  // namespace varno
