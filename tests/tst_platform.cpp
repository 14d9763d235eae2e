// The Qt side of the platform seam, where the game's rules reach into Qt's own dialogs: a Yes/No question is
// answered by its two buttons only, as the classic message box has no cancel.
#include "gamefixture.h"
#include "platform/qtplatformservices.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <functional>

namespace {

// What the box looked like and did while it was open.
struct Seen
{
    bool opened = false;
    bool closeButtonOffered = true;
    bool openAfterEscape = false;
    bool openAfterClose = false;
    QString yes;
    QString no;
};

// Opens a message box through the Qt platform and, once it is on screen, runs `script` on it; the script must
// end by answering. The box's answer comes back.
int withMessageBox(QtPlatformServices& platform, int style, const std::function<void(QMessageBox&)>& script)
{
    QWidget owner;
    owner.show();
    QTimer::singleShot(0, &owner, [&script] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            // Nothing to script: the test fails on the answer, but must not hang.
            if (QWidget* other = QApplication::activeModalWidget())
                other->hide();
            return;
        }
        script(*box);
    });
    return platform.messageBox(&owner, QStringLiteral("Sei sicuro di voler uscire?"), style, QStringLiteral("Uscita"));
}

QString caption(QAbstractButton* button)
{
    return button ? button->text().remove(QLatin1Char('&')) : QString();
}

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void onlySiOrNoAnswerTheCloseQuestion_data();
    void onlySiOrNoAnswerTheCloseQuestion();
    void aMessageWithOnlyOkStillClosesWithEscape();

private:
    QtPlatformServices m_platform;
};

void TestPlatform::onlySiOrNoAnswerTheCloseQuestion_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("then Sì") << true;
    QTest::newRow("then No") << false;
}

void TestPlatform::onlySiOrNoAnswerTheCloseQuestion()
{
    // Escape or the window's close once answered the close question No.
    QFETCH(bool, yes);
    Seen seen;
    const int answer = withMessageBox(
        m_platform, PlatformServices::YesNo | PlatformServices::Question, [&seen, yes](QMessageBox& box) {
            seen.opened = QTest::qWaitForWindowExposed(&box);
            seen.closeButtonOffered = box.windowFlags().testFlag(Qt::WindowCloseButtonHint);
            seen.yes = caption(box.button(QMessageBox::Yes));
            seen.no = caption(box.button(QMessageBox::No));
            QTest::keyClick(&box, Qt::Key_Escape);
            QCoreApplication::processEvents();
            seen.openAfterEscape = box.isVisible();
            // What the window manager's close button, or Alt+F4, asks of the box.
            box.close();
            QCoreApplication::processEvents();
            seen.openAfterClose = box.isVisible();
            box.button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
    QVERIFY(seen.opened);
    QVERIFY2(seen.openAfterEscape, "Escape dismissed the question");
    QVERIFY2(seen.openAfterClose, "a close request dismissed the question");
    QVERIFY2(!seen.closeButtonOffered, "the question offers a close button of the window manager's");
    QCOMPARE(seen.yes, QStringLiteral("Sì"));
    QCOMPARE(seen.no, QStringLiteral("No"));
    QCOMPARE(answer, yes ? int(PlatformServices::Yes) : int(PlatformServices::No));
}

void TestPlatform::aMessageWithOnlyOkStillClosesWithEscape()
{
    bool open = false;
    bool closedByEscape = false;
    const int answer = withMessageBox(m_platform, PlatformServices::Information, [&](QMessageBox& box) {
        open = QTest::qWaitForWindowExposed(&box);
        QTest::keyClick(&box, Qt::Key_Escape);
        QCoreApplication::processEvents();
        closedByEscape = !box.isVisible();
        if (!closedByEscape)
            box.button(QMessageBox::Ok)->click();
    });
    QVERIFY(open);
    QVERIFY(closedByEscape);
    QCOMPARE(answer, int(PlatformServices::Ok));
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
