#include "editor/SiteEditor.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <algorithm>

using lanvex::editor::SiteEditor;
using lanvex::editor::SiteField;
using lanvex::store::SiteProfile;

namespace {

SiteProfile StaticSite()
{
    SiteProfile p;
    p.Name = "Office";
    p.IP = "192.168.1.10";
    p.SubNetMask = "255.255.255.0";
    p.DefaultGateway = "192.168.1.1";
    p.ChangeDNS = true;
    p.DNS = "192.168.1.53";
    p.AuxDNS = "8.8.8.8";
    p.ChangeWINS = false;
    p.WINS = "10.0.0.5";
    p.AuxWINS = "10.0.0.6";
    p.ChangePrinter = true;
    p.PrinterName = "Front Desk";
    return p;
}

struct Enabled
{
    bool address, boxes, dns, wins, printer;
    bool operator==(const Enabled&) const = default;
};

Enabled EnabledOf(const SiteEditor& e)
{
    return { e.txtIP->isEnabled() && e.txtSubNetMask->isEnabled() && e.txtGateway->isEnabled(),
             e.chkDNS->isEnabled() && e.chkWINS->isEnabled() && e.chkPrinter->isEnabled(),
             e.txtDNS->isEnabled() && e.txtAuxDNS->isEnabled(), e.txtWINS->isEnabled() && e.txtAuxWINS->isEnabled(),
             e.cboPrinter->isEnabled() };
}

void ClickLabel(QWidget* label)
{
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
}

} // namespace

class TestSiteEditor : public QObject
{
    Q_OBJECT

    std::unique_ptr<QWidget> window;
    SiteEditor* editor = nullptr;
    SiteProfile stored;

private Q_SLOTS:
    void init()
    {
        window = std::make_unique<QWidget>();
        window->resize(400, 420);
        editor = new SiteEditor(window.get());
        editor->move(20, 10);
        editor->setPrinters({ "Office Laser", "Front Desk", "front desk" });
        stored = StaticSite();
        editor->setStoredSiteLookup([this] { return &stored; });
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void cleanup() { window.reset(); }

    void loadAndReadBack()
    {
        editor->LoadProfile(stored);
        QCOMPARE(editor->title(), QStringLiteral("当前办公位置：Office"));
        QVERIFY(editor->optIPType[0]->isChecked());
        QCOMPARE(editor->chkDNS->checkState(), Qt::Unchecked);
        QCOMPARE(editor->chkWINS->checkState(), Qt::Checked);
        QCOMPARE(editor->chkPrinter->checkState(), Qt::Unchecked);
        // Printer lookup is exact and case-sensitive.
        QCOMPARE(editor->cboPrinter->currentIndex(), 2);
        QCOMPARE(EnabledOf(*editor), (Enabled { true, true, true, false, true }));
        QCOMPARE(editor->ReadProfile(), stored);

        SiteProfile unknownPrinter = stored;
        unknownPrinter.PrinterName = "Gone";
        editor->LoadProfile(unknownPrinter);
        QCOMPARE(editor->cboPrinter->currentIndex(), 0);
    }

    // The printers are listed after the window opens. Until then the entry shown keeps its
    // printer, also in what a save stores; once listed it is chosen, and a printer the user picks
    // survives a new list.
    void printerSurvivesNewPrinterList()
    {
        auto* fresh = new SiteEditor(window.get());
        fresh->show();
        fresh->LoadProfile(stored);
        QCOMPARE(fresh->cboPrinter->count(), 1);
        QCOMPARE(fresh->ReadProfile(), stored);
        fresh->setPrinters({ "Front Desk", "front desk" });
        QCOMPARE(fresh->cboPrinter->currentText(), QStringLiteral("Front Desk"));
        QCOMPARE(fresh->ReadProfile(), stored);

        fresh->cboPrinter->setFocus();
        QTest::keyClick(fresh->cboPrinter, Qt::Key_Down);
        QCOMPARE(fresh->cboPrinter->currentText(), QStringLiteral("front desk"));
        fresh->setPrinters({ "Front Desk", "Office Laser", "front desk" });
        QCOMPARE(fresh->cboPrinter->currentText(), QStringLiteral("front desk"));
        QCOMPARE(fresh->ReadProfile().PrinterName, std::string("front desk"));
    }

    void codeTextIsNotCutButTypingIsLimited()
    {
        SiteProfile p = stored;
        p.IP = "192.168.001.0010"; // 16 characters, as a hand-edited file may hold
        p.Name = QStringLiteral("一个很长很长很长很长很长的办公位置名称").toStdString();
        editor->LoadProfile(p);
        QCOMPARE(editor->txtIP->text(), QStringLiteral("192.168.001.0010"));
        QCOMPARE(editor->txtName->text(), QString::fromStdString(p.Name));
        // A text wider than its field shows from its first character.
        QCOMPARE(editor->txtName->cursorPosition(), 0);
        QCOMPARE(editor->txtIP->cursorPosition(), 0);

        // Typing into the over-long field is refused, deleting is not.
        editor->txtIP->setFocus();
        editor->txtIP->end(false);
        QTest::keyClick(editor->txtIP, Qt::Key_5);
        QCOMPARE(editor->txtIP->text().size(), 16);
        QTest::keyClick(editor->txtIP, Qt::Key_Backspace);
        QCOMPARE(editor->txtIP->text(), QStringLiteral("192.168.001.001"));
        QTest::keyClick(editor->txtIP, Qt::Key_7);
        QCOMPARE(editor->txtIP->text(), QStringLiteral("192.168.001.001"));

        editor->txtDNS->clear();
        editor->txtDNS->setFocus();
        QTest::keyClicks(editor->txtDNS, QStringLiteral("1234567890123456789"));
        QCOMPARE(editor->txtDNS->text(), QStringLiteral("123456789012345"));

        // Into a full field a paste adds nothing; a paste that fits goes in whole.
        editor->txtDNS->end(false);
        QGuiApplication::clipboard()->setText(QStringLiteral("9"));
        QTest::keySequence(editor->txtDNS, QKeySequence::Paste);
        QCOMPARE(editor->txtDNS->text(), QStringLiteral("123456789012345"));
        editor->txtAuxDNS->clear();
        editor->txtAuxDNS->setFocus();
        QGuiApplication::clipboard()->setText(QStringLiteral("10.10.10.10"));
        QTest::keySequence(editor->txtAuxDNS, QKeySequence::Paste);
        QCOMPARE(editor->txtAuxDNS->text(), QStringLiteral("10.10.10.10"));
    }

    // A paste or drop that would pass the limit keeps the text before the caret, the inserted text
    // up to the limit, then the rest; the caret ends after the kept part.
    void longInsertionIsCutToFit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<bool>("drop");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("caret");
        QTest::newRow("into empty") << "" << 0 << 0 << "10.10.10.10.10.10" << false << "10.10.10.10.10." << 15;
        QTest::newRow("in the middle") << "192.168.1.1" << 4 << 0 << "99999" << false << "192.9999168.1.1" << 8;
        QTest::newRow("over a selection") << "192.168.1.1" << 4 << 3 << "12345678" << false << "192.1234567.1.1" << 11;
        QTest::newRow("same as the text around it")
            << "1111" << 2 << 0 << "1111111111111111" << false << "111111111111111" << 13;
        QTest::newRow("dropped at the end") << "10.1.1." << -1 << 0 << "2222222222" << true << "10.1.1.22222222" << 15;
    }

    void longInsertionIsCutToFit()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, selected);
        QFETCH(QString, inserted);
        QFETCH(bool, drop);
        QFETCH(QString, expected);
        QFETCH(int, caret);
        SiteField* field = editor->txtSubNetMask;
        field->setText(text);
        field->setFocus();
        if (drop) {
            QMimeData data;
            data.setText(inserted);
            // A drop arrives after the drag has entered the field.
            const QPoint end(field->width() - 2, field->height() / 2);
            QDragEnterEvent enter(end, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(field, &enter);
            QDropEvent event(end, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(field, &event);
        } else {
            field->setSelection(start, selected);
            if (selected == 0)
                field->setCursorPosition(start);
            QGuiApplication::clipboard()->setText(inserted);
            QTest::keySequence(field, QKeySequence::Paste);
        }
        QCOMPARE(field->text(), expected);
        QCOMPARE(field->cursorPosition(), caret);
        QCOMPARE(editor->ReadProfile().SubNetMask, expected.toStdString());
    }

    // Each step is a user action; the enabling table must hold after every one.
    void enablingTransitions()
    {
        editor->LoadProfile(stored); // static, DNS unticked, WINS ticked, printer unticked
        QCOMPARE(EnabledOf(*editor), (Enabled { true, true, true, false, true }));

        // Choosing DHCP ticks and locks the boxes and keeps every text.
        ClickLabel(editor->lblDHCP);
        QVERIFY(editor->optIPType[1]->isChecked());
        QCOMPARE(editor->chkDNS->checkState(), Qt::Checked);
        QCOMPARE(editor->chkPrinter->checkState(), Qt::Checked);
        QCOMPARE(EnabledOf(*editor), (Enabled { false, false, false, false, false }));
        QCOMPARE(editor->txtIP->text(), QStringLiteral("192.168.1.10"));
        QCOMPARE(editor->txtDNS->text(), QStringLiteral("192.168.1.53"));
        QCOMPARE(QApplication::focusWidget(), editor->txtName);

        // The caption label toggles even the locked box.
        ClickLabel(editor->lblPrinter);
        QCOMPARE(editor->chkPrinter->checkState(), Qt::Unchecked);
        QVERIFY(!editor->chkPrinter->isEnabled());
        QCOMPARE(EnabledOf(*editor), (Enabled { false, false, false, false, true }));

        // Back to static: the boxes come from the stored site, not from what was shown.
        stored.ChangePrinter = false;
        ClickLabel(editor->lblStatic);
        QVERIFY(editor->optIPType[0]->isChecked());
        QCOMPARE(editor->chkDNS->checkState(), Qt::Unchecked);
        QCOMPARE(editor->chkWINS->checkState(), Qt::Checked);
        QCOMPARE(editor->chkPrinter->checkState(), Qt::Checked);
        QCOMPARE(EnabledOf(*editor), (Enabled { true, true, true, false, false }));
        QCOMPARE(QApplication::focusWidget(), editor->txtName);

        // WINS label twice: unticks then ticks again.
        ClickLabel(editor->lblWINS);
        QCOMPARE(EnabledOf(*editor), (Enabled { true, true, true, true, false }));
        ClickLabel(editor->lblWINS);
        QCOMPARE(EnabledOf(*editor), (Enabled { true, true, true, false, false }));

        // A double click on a caption is one click: press, release, press, double click, release.
        ClickLabel(editor->lblWINS);
        QTest::mousePress(editor->lblWINS, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseDClick(editor->lblWINS, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(editor->lblWINS, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(editor->chkWINS->checkState(), Qt::Unchecked);
        ClickLabel(editor->lblWINS);
        QCOMPARE(editor->chkWINS->checkState(), Qt::Checked);

        // A click on the box itself runs the same handler.
        QTest::mouseClick(editor->chkDNS, Qt::LeftButton);
        QCOMPARE(editor->chkDNS->checkState(), Qt::Checked);
        QCOMPARE(EnabledOf(*editor), (Enabled { true, true, false, false, false }));
    }

    // Choosing static without a selected entry leaves the boxes as they are.
    void staticWithoutStoredSiteKeepsBoxes()
    {
        editor->setStoredSiteLookup([] { return static_cast<const SiteProfile*>(nullptr); });
        editor->LoadProfile(stored);
        editor->optIPType[1]->setChecked(true);
        editor->lblDNS_Click(); // untick the locked DNS box
        editor->optIPType[0]->setChecked(true);
        QCOMPARE(editor->chkDNS->checkState(), Qt::Unchecked);
        QCOMPARE(editor->chkWINS->checkState(), Qt::Checked);
        QCOMPARE(EnabledOf(*editor), (Enabled { true, true, true, false, false }));
    }

    // Handlers run only on a real change: re-choosing the chosen option moves no box and no focus.
    void rechoosingOptionDoesNothing()
    {
        editor->LoadProfile(stored);
        editor->chkWINS->setCheckState(Qt::Unchecked); // unsaved change
        editor->txtGateway->setFocus();
        ClickLabel(editor->lblStatic);
        QCOMPARE(editor->chkWINS->checkState(), Qt::Unchecked);
        QCOMPARE(QApplication::focusWidget(), editor->txtGateway);
    }

    // The click that gives one of the six fields the focus selects its whole text, so typing
    // replaces it; a second click places the caret. The WINS fields keep the usual caret.
    void clickSelectsAll_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("selects");
        for (const char* name : { "txtName", "txtIP", "txtSubNetMask", "txtGateway", "txtDNS", "txtAuxDNS" })
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        QTest::newRow("txtWINS") << QStringLiteral("txtWINS") << false;
    }

    void clickSelectsAll()
    {
        QFETCH(QString, name);
        QFETCH(bool, selects);
        SiteProfile p = stored;
        p.ChangeWINS = true; // WINS fields enabled
        editor->LoadProfile(p);
        auto* field = editor->findChild<SiteField*>(name);
        QVERIFY(field != nullptr);
        const QString text = field->text();
        QVERIFY(text.size() > 4);
        editor->cboPrinter->setFocus();
        // A point in the middle of the text.
        QPoint middle(0, field->height() / 2);
        while (middle.x() < field->width() && field->cursorPositionAt(middle) < text.size() / 2)
            middle.rx()++;
        QTest::mouseClick(field, Qt::LeftButton, {}, middle);
        QCOMPARE(QApplication::focusWidget(), field);
        if (!selects) {
            QVERIFY(!field->hasSelectedText());
            return;
        }
        QCOMPARE(field->selectedText(), text);
        QTest::keyClick(field, Qt::Key_9);
        QCOMPARE(field->text(), QStringLiteral("9"));

        field->setText(text);
        field->selectAll();
        QTest::mouseClick(field, Qt::LeftButton, {}, middle);
        QVERIFY(!field->hasSelectedText());
        QCOMPARE(field->cursorPosition(), text.size() / 2);
    }

    // The captions answer the left button only, like the options and boxes they stand for.
    void rightClickOnCaptionChangesNothing()
    {
        editor->LoadProfile(stored);
        const SiteProfile before = editor->ReadProfile();
        for (QWidget* label : std::initializer_list<QWidget*> { editor->lblStatic, editor->lblDHCP, editor->lblDNS,
                                                                editor->lblWINS, editor->lblPrinter }) {
            QTest::mouseClick(label, Qt::RightButton, {}, QPoint(3, 3));
            QTest::mouseClick(label, Qt::MiddleButton, {}, QPoint(3, 3));
            QTest::mouseDClick(label, Qt::RightButton, {}, QPoint(3, 3));
        }
        QVERIFY(editor->ReadProfile() == before);
        QCOMPARE(EnabledOf(*editor), (Enabled { true, true, true, false, true }));
        // A left press with a right click in between is still one left click.
        QTest::mousePress(editor->lblDNS, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseClick(editor->lblDNS, Qt::RightButton, {}, QPoint(3, 3));
        QTest::mouseRelease(editor->lblDNS, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(editor->chkDNS->checkState(), Qt::Checked);
    }

    void focusSelectsAllExceptWins()
    {
        editor->LoadProfile(stored);
        editor->txtGateway->setFocus();
        QTest::keyClick(editor->txtGateway, Qt::Key_Tab); // to chkDNS
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), editor->txtDNS);
        QCOMPARE(editor->txtDNS->selectedText(), QStringLiteral("192.168.1.53"));

        editor->chkWINS->setCheckState(Qt::Unchecked);
        editor->chkWINS->setFocus();
        QTest::keyClick(editor->chkWINS, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), editor->txtWINS);
        QVERIFY(!editor->txtWINS->hasSelectedText());

        editor->txtIP->setFocus(Qt::MouseFocusReason);
        QCOMPARE(editor->txtIP->selectedText(), QStringLiteral("192.168.1.10"));
    }

    void tabOrderFollowsLayout()
    {
        const QList<QWidget*> expected { editor->txtName,    editor->optIPType[0],  editor->optIPType[1],
                                         editor->txtIP,      editor->txtSubNetMask, editor->txtGateway,
                                         editor->chkDNS,     editor->txtDNS,        editor->txtAuxDNS,
                                         editor->chkWINS,    editor->txtWINS,       editor->txtAuxWINS,
                                         editor->chkPrinter, editor->cboPrinter };
        // Walk the focus chain as Tab does, over the controls that take tab focus.
        QList<QWidget*> chain { editor->txtName };
        for (QWidget* w = editor->txtName->nextInFocusChain(); chain.size() < expected.size() && w != editor->txtName;
             w = w->nextInFocusChain()) {
            if ((w->focusPolicy() & Qt::TabFocus) && editor->isAncestorOf(w))
                chain << w;
        }
        QCOMPARE(chain, expected);
    }

    void blankState()
    {
        editor->LoadProfile(stored);
        editor->optIPType[1]->setChecked(true);
        editor->ShowBlank();
        QVERIFY(editor->optIPType[0]->isChecked());
        for (QLineEdit* f : { static_cast<QLineEdit*>(editor->txtName), static_cast<QLineEdit*>(editor->txtIP),
                              static_cast<QLineEdit*>(editor->txtAuxWINS) })
            QVERIFY(f->text().isEmpty());
        QCOMPARE(editor->chkDNS->checkState(), Qt::Unchecked);
        QCOMPARE(editor->chkWINS->checkState(), Qt::Unchecked);
        QCOMPARE(editor->chkPrinter->checkState(), Qt::Unchecked);
        QCOMPARE(editor->cboPrinter->currentIndex(), 0);
        QCOMPARE(EnabledOf(*editor), (Enabled { true, true, true, true, true }));
        QCOMPARE(editor->title(), QStringLiteral("当前办公位置：Office")); // caption untouched
        QCOMPARE(QApplication::focusWidget(), editor->txtName);
    }

    void checkMovesFocusToFailingField()
    {
        editor->LoadProfile(stored);
        editor->txtGateway->setText(QStringLiteral("1.1.1"));
        editor->txtAuxDNS->setText(QString());
        editor->txtName->setFocus();
        QStringList shown;
        QVERIFY(!editor->CheckSiteAddresses([&](const QString& m) { shown << m; }));
        QCOMPARE(shown, QStringList { QStringLiteral("IP默认网关的格式不正确!") });
        QCOMPARE(QApplication::focusWidget(), editor->txtGateway);

        editor->txtGateway->setText(QStringLiteral("192.168.1.1"));
        shown.clear();
        QVERIFY(!editor->CheckSiteAddresses([&](const QString& m) { shown << m; }));
        QCOMPARE(shown, QStringList { QStringLiteral("备用DNS的格式不正确!") });
        QCOMPARE(QApplication::focusWidget(), editor->txtAuxDNS);

        editor->optIPType[1]->setChecked(true);
        editor->txtIP->setText(QStringLiteral("abc"));
        shown.clear();
        QVERIFY(editor->CheckSiteAddresses([&](const QString& m) { shown << m; }));
        QVERIFY(shown.isEmpty());
        QCOMPARE(editor->ReadProfile().IP, std::string("abc"));
    }

    void geometryAndNames()
    {
        QCOMPARE(editor->size(), QSize(297, 361));
        QCOMPARE(editor->txtName->geometry(), QRect(80, 16, 129, 18));
        QCOMPARE(editor->cboPrinter->geometry(), QRect(80, 328, 209, 20));
        QCOMPARE(editor->Picture1->geometry(), QRect(8, 36, 217, 25));
        // The options keep their place and width, and are tall enough for the style's whole circle.
        QCOMPARE(editor->optIPType[1]->pos(), QPoint(88, 8));
        for (QRadioButton* option : editor->optIPType) {
            QCOMPARE(option->width(), 17);
            QStyleOptionButton look;
            look.initFrom(option);
            const QRect circle = option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &look, option);
            QVERIFY2(option->rect().contains(circle), qPrintable(option->objectName()));
            QVERIFY(option->geometry().bottom() < editor->Picture1->height());
        }
        // The frame's top line runs above the name field, not through it: down a column right of
        // the caption and the controls, the first change from the colour above the frame.
        const QImage picture = editor->grab().toImage();
        const qreal scale = picture.devicePixelRatio();
        const int column = qRound((editor->width() - 10) * scale);
        int line = 0;
        while (line < editor->height() && picture.pixel(column, qRound(line * scale)) == picture.pixel(column, 0))
            ++line;
        QVERIFY2(line > 0 && line < editor->txtName->y(), qPrintable(QString::number(line)));
        // A caption keeps its place and grows only as far as its text needs.
        QCOMPARE(editor->lblWINS->pos(), QPoint(32, 226));
        QCOMPARE(editor->lblWINS->height(), 17);
        QVERIFY(editor->lblWINS->width() >= std::max(121, editor->lblWINS->sizeHint().width()));
        // The caption must not push the controls down.
        editor->setCaption(QStringLiteral("A & B"));
        QCOMPARE(editor->txtName->geometry(), QRect(80, 16, 129, 18));
        QCOMPARE(editor->title(), QStringLiteral("当前办公位置：A && B"));
        for (QWidget* w : editor->findChildren<QWidget*>()) {
            if (qobject_cast<QLabel*>(w) || w == editor->Picture1 || w->objectName().isEmpty()
                || w->parent() == editor->cboPrinter)
                continue;
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
        QCOMPARE(editor->chkDNS->accessibleName(), QStringLiteral("不更改DNS设置"));
    }
};

QTEST_MAIN(TestSiteEditor)
#include "tst_SiteEditor.moc"
