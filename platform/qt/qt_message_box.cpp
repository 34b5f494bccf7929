#include "qt_message_box.h"

#include "app_info.h"

#include <QApplication>
#include <QMessageBox>

namespace varno::platform {

void QtMessageBox::show(const std::string& prompt, int style)
{
    // Only the plain style is used: one OK button and no icon.
    (void)style;
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), QString::fromStdString(prompt),
                    QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace varno::platform
