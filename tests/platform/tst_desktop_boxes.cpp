#include "MasterPasswordDialogs.h"
#include "QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <QSemaphore>
#include <QThread>

#include <functional>

using namespace varnook;

namespace {

// The README's pictures of the boxes, written only when a folder is named for them.
void keepPicture(QWidget *box, const QString &fileName) {
    const QString folder = qEnvironmentVariable("VARNOOK_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(box->grab().save(QDir(folder).filePath(fileName)));
}

} // namespace

class tst_DesktopBoxes : public QObject {
    Q_OBJECT

private:
    // Shows the box that keeps unsaved changes and lets the user act on it once it is open.
    static MessageAnswer askAboutUnsavedChanges(const std::function<void(QMessageBox *)> &user) {
        QTimer::singleShot(0, [user] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            user(box);
        });
        MessageBoxRequest request;
        request.text = QStringLiteral("The data file could not be saved");
        request.buttons = MessageButtons::RetryCloseWithoutSaving;
        request.defaultButton = MessageAnswer::Retry;
        return QtDialogs().messageBox(request);
    }

    static QAbstractButton *buttonCalled(QMessageBox *box, const QString &text) {
        for (QAbstractButton *button : box->buttons()) {
            if (button->text().remove(u'&') == text)
                return button;
        }
        return nullptr;
    }

    static QString buttonText(QWidget *box, int index) {
        const auto buttons = box->findChildren<QAbstractButton *>();
        return index < buttons.size() ? buttons[index]->text().remove(u'&') : QString();
    }

private slots:
    void enterRetries() {
        const MessageAnswer answer = askAboutUnsavedChanges([](QMessageBox *box) {
            QCOMPARE(box->buttons().size(), 2);
            QCOMPARE(box->defaultButton(), buttonCalled(box, QStringLiteral("Retry")));
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(answer, MessageAnswer::Retry);
    }

    // Escape and the close box keep it open: only the button itself gives up the changes.
    void onlyTheButtonClosesWithoutSaving() {
        const MessageAnswer answer = askAboutUnsavedChanges([](QMessageBox *box) {
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            QVERIFY(box->isVisible());
            QAbstractButton *button = buttonCalled(box, QStringLiteral("Close without saving"));
            QVERIFY(button);
            QTest::mouseClick(button, Qt::LeftButton);
        });
        QCOMPARE(answer, MessageAnswer::CloseWithoutSaving);
    }

    void inputBoxFitsItsText_data() {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("masked");
        QTest::addColumn<QString>("pictureName");
        QTest::newRow("login") << QStringLiteral("Please enter your password") << QStringLiteral("Password Required")
                               << true << QStringLiteral("login-box.png");
        QTest::newRow("creation") << MasterPasswordDialogs::creationPrompt(VersionRecord::builtIn().productName)
                                  << QStringLiteral("Password Creation") << false << QStringLiteral("creation-box.png");
    }

    // The box keeps its texts and buttons, wraps its prompt and fits a small screen.
    void inputBoxFitsItsText() {
        QFETCH(QString, prompt);
        QFETCH(QString, title);
        QFETCH(bool, masked);
        QFETCH(QString, pictureName);
        QTimer::singleShot(0, [=] {
            auto *box = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            QVERIFY(box);
            const auto closeOnFailure = qScopeGuard([box] {
                if (box->isVisible())
                    box->reject();
            });
            QCOMPARE(box->windowTitle(), title);
            QVERIFY(!box->windowIcon().isNull());
            QVERIFY2(box->width() >= 360 && box->width() <= 600, qPrintable(QString::number(box->width())));
            auto *label = box->findChild<QLabel *>();
            QCOMPARE(label->text(), prompt);
            QVERIFY(label->wordWrap());
            QVERIFY(label->height() >= label->heightForWidth(label->width())); // no line cut off
            auto *edit = box->findChild<QLineEdit *>();
            QCOMPARE(edit->echoMode(), masked ? QLineEdit::Password : QLineEdit::Normal);
            const QStringList buttons = {buttonText(box, 0), buttonText(box, 1)};
            QCOMPARE(buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
            QTest::keyClicks(edit, QStringLiteral("typed"));
            keepPicture(box, pictureName);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QCOMPARE(QtDialogs().inputBox(prompt, title, masked), QStringLiteral("typed"));
    }

    // The work runs on a thread of its own while the box says so, and the program's own events go on:
    // the check below runs from this thread's event loop while the work waits for it.
    void waitBoxShowsWhileTheWorkRuns() {
        QSemaphore seen;
        bool boxWasUp = false;
        QThread *workThread = nullptr;
        bool released = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
            boxWasUp = box && box->isVisible() && box->labelText() == QStringLiteral("Checking…") &&
                       box->windowTitle() == QStringLiteral("Varnook Demo") && !box->findChild<QPushButton *>();
            seen.release();
        });
        QtDialogs().waitFor(QStringLiteral("Checking…"), QStringLiteral("Varnook Demo"), [&] {
            workThread = QThread::currentThread();
            // Only an event loop that runs while the work does lets the check above release it.
            released = seen.tryAcquire(1, 10000);
        });
        QVERIFY(released);
        QVERIFY(boxWasUp);
        QVERIFY(workThread != QThread::currentThread());
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(tst_DesktopBoxes)
#include "tst_desktop_boxes.moc"
