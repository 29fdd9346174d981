#include "FindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <algorithm>

namespace varnook {

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
    , m_findLabel(new QLabel(QStringLiteral("Find:"), this))
    , m_findBox(new QLineEdit(this))
    , m_passwordsBox(new QCheckBox(QStringLiteral("Passwords too"), this))
    , m_countLabel(new QLabel(this))
    , m_closeButton(new QPushButton(QStringLiteral("Close"), this)) {
    setObjectName(QStringLiteral("findBar"));
    m_findLabel->setBuddy(m_findBox);
    m_findBox->setObjectName(QStringLiteral("txtFind"));
    m_findBox->setClearButtonEnabled(true);
    m_passwordsBox->setObjectName(QStringLiteral("chkFindPasswords"));
    m_countLabel->setObjectName(QStringLiteral("lblFindCount"));
    m_closeButton->setObjectName(QStringLiteral("cmdFindClose"));
    m_closeButton->setAutoDefault(false);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_findLabel);
    layout->addWidget(m_findBox, 1);
    layout->addWidget(m_passwordsBox);
    layout->addWidget(m_countLabel);
    layout->addWidget(m_closeButton);

    connect(m_findBox, &QLineEdit::textChanged, this, [this] { emit findChanged(findText(), inPasswords()); });
    connect(m_passwordsBox, &QCheckBox::toggled, this, [this] { emit findChanged(findText(), inPasswords()); });
    connect(m_closeButton, &QPushButton::clicked, this, &FindBar::closeRequested);
    m_findBox->installEventFilter(this);
}

QString FindBar::findText() const {
    return m_findBox->text();
}

bool FindBar::inPasswords() const {
    return m_passwordsBox->isChecked();
}

void FindBar::reset() {
    const QSignalBlocker boxQuiet(m_findBox);
    const QSignalBlocker tickQuiet(m_passwordsBox);
    m_findBox->clear();
    m_passwordsBox->setChecked(false);
}

void FindBar::showCounts(int shown, int total, bool filtering) {
    const QLocale english(QLocale::English);
    const auto counts = [&english](int shown, int hidden) {
        return QStringLiteral("%1 shown, %2 hidden").arg(english.toString(shown), english.toString(hidden));
    };
    m_countLabel->setText(filtering ? counts(shown, total - shown)
                                    : QStringLiteral("All %1 shown").arg(english.toString(total)));
    // Room for the widest counts of this many entries, so that the box does not change its width
    // at every key.
    const int widest = m_countLabel->fontMetrics().horizontalAdvance(counts(total, total));
    m_countLabel->setMinimumWidth(std::max(m_countLabel->minimumWidth(), widest));
}

bool FindBar::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_findBox || (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress))
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    // With nothing selected in the box, Ctrl+C is the window's: it copies the selected entry's
    // password, as it does from the list. The box never sees the key, so the window's shortcut runs.
    if (event->type() == QEvent::ShortcutOverride)
        return key->matches(QKeySequence::Copy) && !m_findBox->hasSelectedText();
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Down) {
        emit listRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace varnook
