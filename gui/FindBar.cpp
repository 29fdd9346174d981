#include "FindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

namespace varnook {

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
    , m_findBox(new QLineEdit(this))
    , m_passwordsBox(new QCheckBox(QStringLiteral("Passwords too"), this))
    , m_countLabel(new QLabel(this))
    , m_closeButton(new QPushButton(QStringLiteral("Close"), this)) {
    setObjectName(QStringLiteral("findBar"));
    auto *label = new QLabel(QStringLiteral("Find:"), this);
    label->setBuddy(m_findBox);
    m_findBox->setObjectName(QStringLiteral("txtFind"));
    m_findBox->setClearButtonEnabled(true);
    m_passwordsBox->setObjectName(QStringLiteral("chkFindPasswords"));
    m_countLabel->setObjectName(QStringLiteral("lblFindCount"));
    m_closeButton->setObjectName(QStringLiteral("cmdFindClose"));
    m_closeButton->setAutoDefault(false);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
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
    m_countLabel->setText(
        filtering ? QStringLiteral("%1 of %2 shown, %3 hidden")
                        .arg(english.toString(shown), english.toString(total), english.toString(total - shown))
                  : QStringLiteral("All %1 shown").arg(english.toString(total)));
}

bool FindBar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_findBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down) {
            emit listRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace varnook
