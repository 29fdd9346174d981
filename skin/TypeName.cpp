#include "TypeName.h"

#include <QMetaObject>
#include <QObject>

#include <cstring>

namespace varnook {

namespace {

struct TypeRow {
    const char *className;
    const char *typeName;
};

// Class names as the meta-object system spells them. The browser control lives in a library
// above this one, so it is named, not linked.
constexpr TypeRow TypeTable[] = {
    {"QPushButton", "CommandButton"},
    {"QLineEdit", "TextBox"},
    {"QPlainTextEdit", "TextBox"},
    {"QComboBox", "ComboBox"},
    {"QListView", "ListBox"},
    {"QTreeView", "ListView"},
    {"QTextEdit", "RichTextBox"},
    {"QCheckBox", "CheckBox"},
    {"QRadioButton", "OptionButton"},
    {"QGroupBox", "Frame"},
    {"QStatusBar", "StatusBar"},
    {"QLabel", "Label"},
    {"varnook::PictureBox", "PictureBox"},
    {"varnook::SkinLabel", "SkinLabel"},
    {"varnook::WebBrowser", "WebBrowser"},
    {"QWebEngineView", "WebBrowser"},
};

const char *typeOfClass(const char *className) {
    for (const TypeRow &row : TypeTable) {
        if (std::strcmp(row.className, className) == 0)
            return row.typeName;
    }
    return nullptr;
}

} // namespace

QString typeName(const QObject *control) {
    if (!control)
        return {};
    for (const QMetaObject *meta = control->metaObject(); meta; meta = meta->superClass()) {
        if (const char *typeName = typeOfClass(meta->className()))
            return QLatin1String(typeName);
    }
    return {};
}

bool isContainerType(const QString &typeName) {
    return typeName == QLatin1String("Frame") || typeName == QLatin1String("PictureBox");
}

} // namespace varnook
