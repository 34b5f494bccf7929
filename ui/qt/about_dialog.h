#pragma once

#include "core/about_layout.h"
#include "core/system_info.h"

#include <array>

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
    // `englishWarning`: also show the warning in English, for where no
    // installed font shows Japanese.
    AboutDialog(const SystemInfoServices& services, QWidget* owner = nullptr, bool englishWarning = false);

    void setVisible(bool visible) override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildControls(bool englishWarning);
    void fillInTexts();
    void layOut();
    void centreOnScreen();
    void followTheme();
    int px(double twips) const;

    SystemInfoServices services_;
    QPushButton* okButton_ = nullptr;
    QPushButton* systemInfoButton_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* version_ = nullptr;
    std::array<QLabel*, about::kLabelCount> labels_{};  // in the layout's order
    QLabel* englishWarning_ = nullptr;
    QWidget* rule_ = nullptr;
    QWidget* titleBar_ = nullptr;  // where the dialog draws its own
};

}  // namespace varno::ui
