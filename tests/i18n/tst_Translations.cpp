// The window and the command line in English, and the Chinese source texts everywhere else.
#include "WindowFixture.h"
#include "editor/SiteEditor.h"
#include "gui/AdvancedDialog.h"
#include "gui/ImageButton.h"
#include "gui/SiteListMenu.h"
#include "gui/SiteTray.h"
#include "i18n/Translate.h"
#include "i18n/Translations.h"
#include "listview/SiteListView.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

using namespace lanvex;

namespace {

const QRegularExpression kChinese(QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

// Every text the window shows or reads out: captions, tooltips, accessible names, titles and the
// list's menu, the tray's menu and tooltip.
QStringList WindowTexts(gui::MainWindow& window, gui::SiteTray& tray)
{
    QStringList texts { window.windowTitle(), tray.ToolTip() };
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        texts << widget->toolTip() << widget->accessibleName();
        if (auto* label = qobject_cast<QLabel*>(widget))
            texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        if (auto* box = qobject_cast<QGroupBox*>(widget))
            texts << box->title();
        if (auto* menu = qobject_cast<QMenu*>(widget)) {
            for (const QAction* action : menu->actions())
                texts << action->text();
        }
    }
    texts.removeAll(QString());
    return texts;
}

struct Run
{
    QStringList texts;
    QStringList messages;
    QString entryZero;
};

// Opens the window over a simulated network, shows both pages and the menus, saves a bad address
// and applies a site, and keeps what the user would have read.
Run RunWindow()
{
    gui::test::WindowFixture f({ gui::test::StaticSite("Office", "10.1.2.3") },
                               { gui::test::StaticAdapter("Wired", "192.168.9.10") });
    gui::SiteTray tray(f.window);
    Run run;
    run.entryZero = QString::fromStdString(f.window.Model().SiteNames[0]);
    run.texts = WindowTexts(f.window, tray);
    f.window.lblTab_Click(1);
    run.texts << WindowTexts(f.window, tray);
    f.window.lblTab_Click(0);

    f.window.findChild<listview::SiteListView*>("picList")->setSelIndex(1);
    f.window.SelectSite(1);
    f.window.findChild<editor::SiteEditor*>("FrameSite")->txtIP->setText(QStringLiteral("10.1.2"));
    Q_EMIT f.window.findChild<gui::ImageButton*>("imgIP1")->clicked();
    f.window.imgApply_Click();
    gui::test::WaitForService(f.window); // the summary's message is compared below
    for (const auto& message : f.messages.shown)
        run.messages << message.title << message.text;
    return run;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theLanguageComesFromTheEnvironment_data()
    {
        QTest::addColumn<QStringList>("variables"); // NAME=value
        QTest::addColumn<QString>("language");
        QTest::newRow("C.UTF-8") << QStringList { "LANG=C.UTF-8" } << QString();
        QTest::newRow("C ignores LANGUAGE") << QStringList { "LANG=C", "LANGUAGE=en" } << QString();
        QTest::newRow("English") << QStringList { "LANG=en_US.UTF-8" } << "en";
        QTest::newRow("LANGUAGE first") << QStringList { "LANG=zh_CN.UTF-8", "LANGUAGE=en_GB" } << "en";
        QTest::newRow("LC_MESSAGES over LANG") << QStringList { "LANG=en_US.UTF-8", "LC_MESSAGES=zh_TW" } << QString();
        QTest::newRow("LC_ALL over all") << QStringList { "LC_ALL=en_US.UTF-8", "LC_MESSAGES=zh_CN" } << "en";
        QTest::newRow("next in LANGUAGE") << QStringList { "LANG=de_DE.UTF-8", "LANGUAGE=fr:en" } << "en";
        QTest::newRow("Chinese before English") << QStringList { "LANG=en_US.UTF-8", "LANGUAGE=zh_CN:en" } << QString();
    }
    void theLanguageComesFromTheEnvironment()
    {
        QFETCH(QStringList, variables);
        QFETCH(QString, language);
        QMap<QString, QString> env;
        for (const QString& variable : variables)
            env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
        QCOMPARE(i18n::TranslationLanguage([&env](const char* name) { return env.value(QString::fromLatin1(name)); }),
                 language);
    }

    void everySourceTextIsTranslated()
    {
        // The build's lupdate run holds every text of the sources; a new one is unfinished there.
        QFile file(QStringLiteral(LANVEX_TS_BUILT));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader ts(&file);
        int messages = 0;
        QString source;
        while (!ts.atEnd()) {
            if (ts.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (ts.name() == QLatin1String("source")) {
                source = ts.readElementText();
            } else if (ts.name() == QLatin1String("translation")) {
                const QString type = ts.attributes().value(QLatin1String("type")).toString();
                const QString translation = ts.readElementText();
                if (type == QLatin1String("vanished") || type == QLatin1String("obsolete"))
                    continue;
                ++messages;
                QVERIFY2(type.isEmpty() && !translation.isEmpty(), qPrintable(source));
                QVERIFY2(!translation.contains(kChinese), qPrintable(source));
            }
        }
        QVERIFY2(!ts.hasError(), qPrintable(ts.errorString()));
        QVERIFY(messages > 100);
    }

    void theWindowSpeaksEnglishOrTheExactSourceTexts()
    {
        // The C locale: no translation, the source texts. (Under Wine LC_ALL sets the code page.)
        for (const char* variable : { "LANGUAGE", "LC_ALL", "LC_MESSAGES" })
            qunsetenv(variable);
        qputenv("LANG", "C.UTF-8");
        QVERIFY(!i18n::InstallTranslations(*qApp));
        const Run chinese = RunWindow();
        QCOMPARE(chinese.entryZero, QStringLiteral("本机当前设置"));
        for (const char* text : { "IP设置", "使用说明", "需要更改设置的网卡：", "不更改WINS服务器设置", "导入...",
                                  "按<Esc>键退出系统。         按<F4>键应用当前设置。", "打开主窗口", "退出" })
            QVERIFY2(chinese.texts.contains(QString::fromUtf8(text)), text);
        QCOMPARE(chinese.messages,
                 (QStringList { "温馨提示", "IP地址的格式不正确!", "温馨提示",
                                "更新IP及子网掩码成功。\r\n更新网关成功。\r\n更新DNS成功。\r\n更新WINS服务器成功。" }));

        qputenv("LANG", "en_US.UTF-8");
        QVERIFY(i18n::InstallTranslations(*qApp));
        const Run english = RunWindow();
        QCOMPARE(english.entryZero, QStringLiteral("This computer's settings"));
        QCOMPARE(english.texts.size(), chinese.texts.size());
        for (const QString& text : english.texts + english.messages)
            QVERIFY2(!text.contains(kChinese), qPrintable(text));
        QCOMPARE(english.messages[1], QStringLiteral("The IP address is not valid!"));
        QVERIFY(english.messages[3].startsWith(QStringLiteral("IP address and subnet mask updated.\r\n")));

        for (QTranslator* translator : qApp->findChildren<QTranslator*>())
            QCoreApplication::removeTranslator(translator);
        i18n::SetTranslator(nullptr);
    }

    // The advanced editor is as wide as its tabs in English too: none hides behind scroll arrows.
    void theAdvancedEditorShowsEveryTab()
    {
        for (const char* variable : { "LANGUAGE", "LC_ALL", "LC_MESSAGES" })
            qunsetenv(variable);
        qputenv("LANG", "en_US.UTF-8");
        QVERIFY(i18n::InstallTranslations(*qApp));
        {
            gui::test::WindowFixture f({ gui::test::StaticSite("Office", "10.1.2.3") },
                                       { gui::test::StaticAdapter("Wired", "192.168.9.10") });
            gui::AdvancedDialog dialog(f.window.Model().SiteProfiles[1], true, f.messages, nullptr);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            const QTabBar* bar = dialog.findChild<QTabWidget*>("tabAdvanced")->tabBar();
            QVERIFY(bar->count() >= 6);
            for (int i = 0; i < bar->count(); ++i) {
                QVERIFY2(!bar->tabText(i).contains(kChinese), qPrintable(bar->tabText(i)));
                QVERIFY2(bar->rect().contains(bar->tabRect(i)), qPrintable(bar->tabText(i)));
            }
        }
        for (QTranslator* translator : qApp->findChildren<QTranslator*>())
            QCoreApplication::removeTranslator(translator);
        i18n::SetTranslator(nullptr);
    }

    void theCommandLineSpeaksTheUsersLanguage()
    {
        for (const char* language : { "en_US.UTF-8", "C" }) {
            QProcess lanvex;
            lanvex.setEnvironment({ QStringLiteral("LANG=") + QString::fromLatin1(language) });
            lanvex.start(QStringLiteral(LANVEX_EXE),
                         { QStringLiteral("--import"), QStringLiteral("/nonexistent.json") });
            QVERIFY(lanvex.waitForFinished(60000));
            QCOMPARE(lanvex.exitCode(), 1);
            QVERIFY(QString::fromUtf8(lanvex.readAllStandardError())
                        .endsWith(language[0] == 'C' ? QStringLiteral("配置文件没有改变。\n")
                                                     : QStringLiteral("The settings file has not been changed.\n")));
        }
    }

    // The program copied alone into an empty folder carries its English: a portable copy.
    void aCopyOfTheProgramAloneSpeaksEnglish()
    {
        QTemporaryDir portable;
        QTemporaryDir data;
        const QString exe = portable.filePath(QFileInfo(QStringLiteral(LANVEX_EXE)).fileName());
        QVERIFY(QFile::copy(QStringLiteral(LANVEX_EXE), exe));
        QVERIFY(QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QString network = data.filePath(QStringLiteral("network.json"));
        QVERIFY(QFile::copy(QStringLiteral(LANVEX_SOURCE_DIR "/examples/simulated-network.json"), network));
        QVERIFY(QFile::setPermissions(network, QFile::ReadOwner | QFile::WriteOwner));
        QFile settings(data.filePath(QStringLiteral("lanvex.ini")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Common]\r\nSites=Office\r\n[Office]\r\nIP=172.20.0.9\r\nSubNetMask=255.255.0.0\r\n"
                       "DefaultGateway=172.20.0.1\r\n");
        settings.close();

        QProcess lanvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* variable : { "LANGUAGE", "LC_ALL", "LC_MESSAGES" })
            environment.remove(QString::fromLatin1(variable));
        environment.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
        // Where Qt itself is a set of DLLs, the system finds them on the path, as for an installed Qt.
        environment.insert(QStringLiteral("PATH"),
                           QDir::toNativeSeparators(QFileInfo(QStringLiteral(LANVEX_EXE)).absolutePath())
                               + QDir::listSeparator() + environment.value(QStringLiteral("PATH")));
        lanvex.setProcessEnvironment(environment);
        lanvex.start(exe,
                     { QStringLiteral("--simulate"), network, QStringLiteral("--config"), settings.fileName(),
                       QStringLiteral("--apply"), QStringLiteral("Office") });
        QVERIFY(lanvex.waitForFinished(60000));
        QCOMPARE(lanvex.exitStatus(), QProcess::NormalExit);
        QCOMPARE(lanvex.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(lanvex.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("IP address and subnet mask updated."));
        QCOMPARE(QDir(portable.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList { QFileInfo(exe).fileName() });
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_Translations.moc"
