#include "application.h"

#include "app_info.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

namespace varno::ui {

namespace {

void useJapanese(QApplication& app)
{
    // Qt's own dialogs and buttons speak Japanese whatever the system locale.
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

    // Japanese glyph shapes for kanji even where the locale would pick Chinese ones.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic"), QStringLiteral("Yu Gothic UI"),
                      QStringLiteral("Meiryo UI"), QStringLiteral("MS UI Gothic")});
    QApplication::setFont(font);
}

}  // namespace

bool japaneseFontInstalled()
{
    static const bool installed = !QFontDatabase::families(QFontDatabase::Japanese).isEmpty();
    return installed;
}

void setUpApplication(QApplication& app)
{
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    QApplication::setApplicationVersion(QString::fromUtf8(kVersionText));
    QApplication::setDesktopFileName(QStringLiteral("jp.zoruteka.varno"));
    QIcon icon(QStringLiteral(":/icons/varno.svg"));
    // The small sizes are drawn pixel by pixel: sharper than the SVG shrunk.
    icon.addFile(QStringLiteral(":/icons/varno-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/varno.png"), QSize(32, 32));
    QApplication::setWindowIcon(icon);
    useJapanese(app);
    if (!japaneseFontInstalled())
        std::fputs("varno: no installed font shows Japanese, so the captions and the warning show as boxes; "
                   "install one, e.g. fonts-noto-cjk (or fonts-ipafont-gothic, fonts-vlgothic)\n",
                   stderr);
}

}  // namespace varno::ui
