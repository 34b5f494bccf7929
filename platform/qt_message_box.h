#pragma once

#include "platform/message_box.h"

#include <QPointer>
#include <QWidget>

namespace varno::platform {

class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* fallbackParent = nullptr) : fallbackParent_(fallbackParent) {}
    void Show(const std::string& prompt, int style) override;

private:
    QPointer<QWidget> fallbackParent_;
};

}  // namespace varno::platform
