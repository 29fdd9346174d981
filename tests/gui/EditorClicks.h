#pragma once

#include "ControlArray.h"
#include "EntryEditor.h"
#include "EntryListView.h"
#include "MainWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>

namespace varnook::test {

// The main window's commands and the entry editor, clicked and typed as a user does.
inline QPushButton *mainButton(MainWindow *main, const char *name) {
    return main->findChild<QPushButton *>(QLatin1String(name));
}

inline void fillEditorAndSave(MainWindow *main, const QString &username, const QString &password,
                              const QString &location) {
    EntryEditor *editor = main->entryEditor();
    QVERIFY(editor);
    for (const auto &[name, text] :
         {std::pair{"txtUsername", username}, std::pair{"txtPassword", password}, std::pair{"txtWebsite", location}}) {
        QLineEdit *box = editor->findChild<QLineEdit *>(QLatin1String(name));
        box->clear();
        QTest::keyClicks(box, text);
    }
    QTest::mouseClick(qobject_cast<QPushButton *>(controlElement(editor, QStringLiteral("cmdAdd"), 0)), Qt::LeftButton);
}

inline void addThroughEditor(MainWindow *main, const QString &username, const QString &password,
                             const QString &location) {
    QTest::mouseClick(mainButton(main, "cmdAdd"), Qt::LeftButton);
    fillEditorAndSave(main, username, password, location);
}

inline void editThroughEditor(MainWindow *main, int position, const QString &username, const QString &password,
                              const QString &location) {
    main->entryList()->selectPosition(position);
    QTest::mouseClick(mainButton(main, "cmdEdit"), Qt::LeftButton);
    fillEditorAndSave(main, username, password, location);
}

// The user names the list shows, top to bottom.
inline QStringList usernames(const EntryTableModel &list) {
    QStringList names;
    for (int position = 1; position <= list.count(); ++position)
        names << list.entry(position).username;
    return names;
}

inline QStringList usernames(MainWindow *main) {
    return usernames(*main->entryList()->entries());
}

} // namespace varnook::test
