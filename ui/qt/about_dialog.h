#pragma once

#include "core/system_info.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace varno::ui {

// The modal About dialog: title, version, the warning, and a button that
// starts the system information tool. Its texts are filled in afresh at
// every opening.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    AboutDialog(const SystemInfoServices& services, QWidget* owner = nullptr);

    void setVisible(bool visible) override;

private:
    void buildControls();
    void fillInTexts();
    void layOut();
    void centreOnScreen();
    int px(double twips) const;

    SystemInfoServices services_;
    QPushButton* okButton_ = nullptr;
    QPushButton* systemInfoButton_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* version_ = nullptr;
    QWidget* rule_ = nullptr;
    QWidget* titleBar_ = nullptr;  // where the dialog draws its own
};

}  // namespace varno::ui
