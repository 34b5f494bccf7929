#pragma once

#include "about/sys_info.h"
#include "platform/services.h"

#include <QDialog>
#include <QRect>

#include <vector>

class QLabel;
class QPushButton;

namespace varno {

class frmAbout : public QDialog {
    Q_OBJECT

public:
    frmAbout(const about::SysInfoServices& services, QWidget* owner = nullptr);

    // The one instance the Help menu opens: made on first use as a child of
    // `owner`, so it goes when the main window goes.
    static frmAbout& Shared(const platform::Services& services, QWidget* owner);

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();

    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdSysInfo() const { return cmdSysInfo_; }
    QLabel* picIcon() const { return picIcon_; }
    QLabel* lblTitle() const { return lblTitle_; }
    QLabel* lblVersion() const { return lblVersion_; }
    QLabel* lblDescription() const { return lblDescription_; }
    QLabel* lblDisclaimer() const { return lblDisclaimer_; }
    QLabel* Label1() const { return Label1_; }
    QLabel* Label2() const { return Label2_; }
    QLabel* Label3() const { return Label3_; }
    std::vector<QLabel*> labels() const;
    // Where the etched rule is drawn: the grey line's row and span.
    QRect ruleGeometry() const { return rule_; }

    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildControls();
    void LayOut();
    void CentreOnScreen();
    int Px(double twips) const;

    about::SysInfoServices services_;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdSysInfo_ = nullptr;
    QLabel* picIcon_ = nullptr;
    QLabel* lblDisclaimer_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QLabel* Label1_ = nullptr;
    QLabel* Label2_ = nullptr;
    QLabel* Label3_ = nullptr;
    QRect rule_;
    int ruleWhiteTop_ = 0;
};

}  // namespace varno
