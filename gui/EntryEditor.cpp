#include "EntryEditor.h"

#include "Artwork.h"
#include "ControlArray.h"
#include "DataFileFormat.h"
#include "Design.h"
#include "ErrorBox.h"
#include "FieldRules.h"
#include "Skin.h"
#include "WindowKeys.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <limits>

namespace varnook {

namespace {

void drawCancel(QPainter &painter) {
    painter.setBrush(QColor(0xC6, 0x28, 0x28));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(2, 2, 28, 28);
    painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(11, 11, 21, 21);
    painter.drawLine(21, 11, 11, 21);
}

void drawSave(QPainter &painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1E, 0x5A, 0xA8));
    QPainterPath body;
    body.moveTo(3, 3);
    body.lineTo(25, 3);
    body.lineTo(29, 7);
    body.lineTo(29, 29);
    body.lineTo(3, 29);
    body.closeSubpath();
    painter.drawPath(body);
    painter.setBrush(QColor(0xE8, 0xEE, 0xF6));
    painter.drawRect(8, 3, 14, 9);   // shutter
    painter.drawRect(7, 17, 18, 12); // label
    painter.setBrush(QColor(0x1E, 0x5A, 0xA8));
    painter.drawRect(17, 5, 3, 5);
}

QIcon cancelIcon() {
    return drawnIcon(QSize(32, 32), drawCancel);
}

QIcon saveIcon() {
    return drawnIcon(QSize(32, 32), drawSave);
}

QLabel *addLabel(QWidget *parent, const QString &name, const QString &caption, const QRect &twips) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setFont(verdana(8.25, true));
    label->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return label;
}

QLineEdit *addTextBox(QWidget *parent, const QString &name, const QRect &twips) {
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    // The file holds fields of any length; the box's own default would cut them at 32,767 characters.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

} // namespace

EntryEditor::EntryEditor(const SkinEngine *skin, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
    , m_skin(skin) {
    setObjectName(QStringLiteral("frmAdd"));
    WindowKeys::closeOnEscape(this); // as Cancel does
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(saveIcon());
    setFont(verdana(8.25));
    setFixedSize(twipsSize(4680, 2610));

    m_cancelButton = new QPushButton(cancelIcon(), QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cmdDelete")); // named so in the design, it cancels
    m_cancelButton->setGeometry(twipsRect(3420, 1500, 1155, 1035));
    m_saveButton = new QPushButton(saveIcon(), QStringLiteral("Save"), this);
    setControlIndex(m_saveButton, QStringLiteral("cmdAdd"), 0);
    m_saveButton->setGeometry(twipsRect(120, 1500, 1155, 1035));
    for (QPushButton *button : {m_cancelButton, m_saveButton}) {
        button->setIconSize(QSize(32, 32));
        button->setAutoDefault(false);
    }

    QLabel *label1 = addLabel(this, QStringLiteral("SkinLabel1"), QStringLiteral("Username:"), {120, 120, 1155, 255});
    m_usernameEdit = addTextBox(this, QStringLiteral("txtUsername"), {1320, 60, 3255, 315});
    QLabel *label2 = addLabel(this, QStringLiteral("SkinLabel2"), QStringLiteral("Password:"), {120, 540, 1155, 255});
    m_passwordEdit = addTextBox(this, QStringLiteral("txtPassword"), {1320, 480, 3255, 315});
    QLabel *label3 = addLabel(this, QStringLiteral("SkinLabel3"), QStringLiteral("Website:"), {120, 960, 1155, 255});
    m_websiteEdit = addTextBox(this, QStringLiteral("txtWebsite"), {1320, 900, 3255, 315});
    // Inside the password box, at its right end; only while passwords are hidden.
    m_showPasswordButton = new QToolButton(m_passwordEdit);
    m_showPasswordButton->setText(QStringLiteral("Show"));
    m_showPasswordButton->setToolTip(QStringLiteral("Shows the password while it is held"));
    m_showPasswordButton->setFocusPolicy(Qt::NoFocus);
    m_showPasswordButton->setCursor(Qt::ArrowCursor);
    m_showPasswordButton->hide();
    connect(m_showPasswordButton, &QToolButton::pressed, this,
            [this] { m_passwordEdit->setEchoMode(QLineEdit::Normal); });
    connect(m_showPasswordButton, &QToolButton::released, this,
            [this] { m_passwordEdit->setEchoMode(QLineEdit::Password); });
    label1->setBuddy(m_usernameEdit);
    label2->setBuddy(m_passwordEdit);
    label3->setBuddy(m_websiteEdit);
    m_labels = {label1, label2, label3};

    setTabOrder(m_cancelButton, m_saveButton);
    setTabOrder(m_saveButton, m_usernameEdit);
    setTabOrder(m_usernameEdit, m_passwordEdit);
    setTabOrder(m_passwordEdit, m_websiteEdit);

    connect(m_saveButton, &QPushButton::clicked, this, &EntryEditor::onSaveClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QWidget::close);
    m_websiteEdit->installEventFilter(this);
}

void EntryEditor::setPasswordHidden(bool hidden) {
    m_passwordEdit->setEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
    m_showPasswordButton->setVisible(hidden);
    if (!hidden) {
        m_passwordEdit->setTextMargins(0, 0, 0, 0);
        return;
    }
    const int height = m_passwordEdit->height() - 4;
    const int width = m_showPasswordButton->sizeHint().width();
    m_showPasswordButton->setGeometry(m_passwordEdit->width() - width - 2, 2, width, height);
    m_passwordEdit->setTextMargins(0, 0, width + 2, 0);
}

void EntryEditor::openForAdd() {
    m_mode = Mode::Add;
    m_row = 0;
    setWindowTitle(QStringLiteral("Add an entry"));
    open();
}

void EntryEditor::openForEdit(EntryTableModel::RowId row, const Entry &entry) {
    m_mode = Mode::Edit;
    m_row = row;
    setWindowTitle(QStringLiteral("Edit an entry"));
    m_usernameEdit->setText(entry.username);
    m_passwordEdit->setText(entry.password);
    m_websiteEdit->setText(entry.location);
    open();
}

void EntryEditor::open() {
    if (m_skin) {
        SkinnedControls controls(this);
        controls.add({m_saveButton, m_cancelButton}).add(m_showPasswordButton).add(m_labels);
        controls.add({m_usernameEdit, m_passwordEdit, m_websiteEdit});
        applySkin(controls, m_skin);
    }
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_cancelButton->setFocus();
}

bool EntryEditor::refuseUnstorableField(const Entry &entry) {
    const QList<QPair<QString, QString>> fields = {{QStringLiteral("user name"), entry.username},
                                                   {QStringLiteral("password"), entry.password},
                                                   {QStringLiteral("website"), entry.location}};
    for (const auto &[name, text] : fields) {
        const QString problem = fieldProblem(text);
        if (!problem.isEmpty()) {
            showError(QStringLiteral("The %1 cannot be saved as typed: %2.").arg(name, problem));
            return true;
        }
    }
    if (!DataFileFormat::readsBackAsWritten(entry)) {
        showError(QStringLiteral("The entry cannot be saved as typed: a field that begins or ends with \"|\" "
                                 "would not read back as typed."));
        return true;
    }
    return false;
}

void EntryEditor::onSaveClicked() {
    const Entry entry{m_usernameEdit->text(), m_passwordEdit->text(), m_websiteEdit->text()};
    if (entry.username.isEmpty()) {
        showError(QStringLiteral("You must enter a username"));
        return;
    }
    if (entry.password.isEmpty()) {
        showError(QStringLiteral("You must enter a password"));
        return;
    }
    if (refuseUnstorableField(entry))
        return;

    emit accepted(m_mode, m_row, entry);
}

bool EntryEditor::eventFilter(QObject *watched, QEvent *event) {
    // Enter in the location box saves, as the Save button does; Enter elsewhere does nothing.
    if (watched == m_websiteEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            onSaveClicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void EntryEditor::keyPressEvent(QKeyEvent *event) {
    if (!WindowKeys::pressFocusedButton(this, event))
        QWidget::keyPressEvent(event);
}

void EntryEditor::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    emit closed();
}

} // namespace varnook
