#include "QtPlatform.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace varnook;

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
};

QTEST_MAIN(tst_DesktopBoxes)
#include "tst_desktop_boxes.moc"
