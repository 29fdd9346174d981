#include "FakePlatform.h"

#include "DataFile.h"

#include <QDir>
#include <QTest>

namespace varnook::test {

namespace {

// A box the test did not script is a fault of the program or of the test: either way the test fails.
void failUnexpected(const ShownBox &box) {
    const QByteArray message = "A box the test did not expect: \"" + box.title.toUtf8() + "\": " + box.text.toUtf8();
    QTest::qFail(message.constData(), __FILE__, __LINE__);
}

} // namespace

MessageAnswer ScriptedDialogs::messageBox(const MessageBoxRequest &request) {
    ShownBox box;
    box.kind = ShownBox::Message;
    box.text = request.text;
    box.title = request.title;
    box.buttons = request.buttons;
    box.icon = request.icon;
    box.defaultButton = request.defaultButton;
    shown.append(box);
    if (onShow)
        onShow(box);
    if (m_messageAnswers.empty()) {
        failUnexpected(box);
        switch (request.buttons) {
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        case MessageButtons::RetryCloseWithoutSaving:
            return MessageAnswer::CloseWithoutSaving; // a box that cannot be cancelled must not hang the test
        case MessageButtons::KeepBothMineTheirs:
            return MessageAnswer::KeepBoth;
        default:
            return MessageAnswer::Cancel;
        }
    }
    const MessageAnswer answer = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::inputBox(const QString &prompt, const QString &title, bool masked) {
    ShownBox box;
    box.kind = ShownBox::Input;
    box.text = prompt;
    box.title = title;
    box.masked = masked;
    shown.append(box);
    if (onShow)
        onShow(box);
    if (m_inputAnswers.empty()) {
        failUnexpected(box);
        return {};
    }
    const QString answer = m_inputAnswers.front();
    m_inputAnswers.pop_front();
    return answer;
}

void ScriptedDialogs::waitFor(const QString &text, const QString &title, const std::function<void()> &work) {
    ShownBox box;
    box.kind = ShownBox::Wait;
    box.text = text;
    box.title = title;
    shown.append(box);
    runOffThread(work, [this, &box] {
        if (onShow)
            onShow(box);
    });
}

FakePlatform::FakePlatform() {
    Platform &p = platform();
    p.dialogs = &dialogs;
    p.process = &process;
    p.launcher = &launcher;
    p.programFolder = m_folder.path();
    p.dataFolder = m_folder.path();
    p.settingsFile = settingsFile();
    p.version = VersionRecord::builtIn();
    DataFile::setSaveFileFactory({});
}

FakePlatform::~FakePlatform() {
    Platform &p = platform();
    p.dialogs = nullptr;
    p.process = nullptr;
    p.launcher = nullptr;
    DataFile::setSaveFileFactory({});
}

QString FakePlatform::dataFile() const {
    return QDir(m_folder.path()).filePath(QStringLiteral("data.enc"));
}

QString FakePlatform::settingsFile() const {
    return QDir(m_settingsFolder.path()).filePath(QStringLiteral("settings.ini"));
}

} // namespace varnook::test
