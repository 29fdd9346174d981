#include "frmAdd.h"

#include "DataFileFormat.h"
#include "Design.h"
#include "FieldRules.h"
#include "Form1.h"
#include "ListView.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Skin.h"
#include "modGlobals.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>

#include <limits>

namespace varnook {

namespace {

QIcon cancelIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0xC6, 0x28, 0x28));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(2, 2, 28, 28);
    painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(11, 11, 21, 21);
    painter.drawLine(21, 11, 11, 21);
    return QIcon(pixmap);
}

QIcon saveIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
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
    return QIcon(pixmap);
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

frmAdd::frmAdd(QWidget *parent)
    : Form(parent) {
    setObjectName(QStringLiteral("frmAdd"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(saveIcon());
    setFont(verdana(8.25));
    setFixedSize(twipsSize(4680, 2610));

    m_cmdDelete = new QPushButton(cancelIcon(), QStringLiteral("Cancel"), this);
    m_cmdDelete->setObjectName(QStringLiteral("cmdDelete"));
    m_cmdDelete->setGeometry(twipsRect(3420, 1500, 1155, 1035));
    m_cmdAdd = new QPushButton(saveIcon(), QStringLiteral("Save"), this);
    setControlIndex(m_cmdAdd, QStringLiteral("cmdAdd"), 0);
    m_cmdAdd->setGeometry(twipsRect(120, 1500, 1155, 1035));
    for (QPushButton *button : {m_cmdDelete, m_cmdAdd}) {
        button->setIconSize(QSize(32, 32));
        button->setAutoDefault(false);
    }

    QLabel *label1 = addLabel(this, QStringLiteral("SkinLabel1"), QStringLiteral("Username:"), {120, 120, 1155, 255});
    m_txtUsername = addTextBox(this, QStringLiteral("txtUsername"), {1320, 60, 3255, 315});
    QLabel *label2 = addLabel(this, QStringLiteral("SkinLabel2"), QStringLiteral("Password:"), {120, 540, 1155, 255});
    m_txtPassword = addTextBox(this, QStringLiteral("txtPassword"), {1320, 480, 3255, 315});
    QLabel *label3 = addLabel(this, QStringLiteral("SkinLabel3"), QStringLiteral("Website:"), {120, 960, 1155, 255});
    m_txtWebsite = addTextBox(this, QStringLiteral("txtWebsite"), {1320, 900, 3255, 315});
    label1->setBuddy(m_txtUsername);
    label2->setBuddy(m_txtPassword);
    label3->setBuddy(m_txtWebsite);

    setTabOrder(m_cmdDelete, m_cmdAdd);
    setTabOrder(m_cmdAdd, m_txtUsername);
    setTabOrder(m_txtUsername, m_txtPassword);
    setTabOrder(m_txtPassword, m_txtWebsite);

    connect(m_cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(0); });
    connect(m_cmdDelete, &QPushButton::clicked, this, &frmAdd::cmdDelete_Click);
    m_txtWebsite->installEventFilter(this);
}

bool frmAdd::Form_Load() {
    const ProgramValues &values = programValues();
    const EditorHandOver &handOver = values.Editor;
    m_addMode = handOver.EditMode == QStringLiteral("Add");
    if (!m_addMode) {
        setWindowTitle(QStringLiteral("Edit an entry"));
        m_txtUsername->setText(handOver.EditUsername);
        m_txtPassword->setText(handOver.EditPassword);
        m_txtWebsite->setText(handOver.EditWebsite);
        if (Form1 *main = findForm<Form1>()) {
            const EntryListModel &list = *main->lstPass()->entries();
            if (handOver.EditIndex >= 1 && handOver.EditIndex <= list.count())
                m_row = list.rowId(handOver.EditIndex);
        }
    } else {
        setWindowTitle(QStringLiteral("Add an entry"));
    }
    if (values.Branding.SkinOn)
        ApplySkin(this);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_cmdDelete->setFocus();
    return true;
}

void frmAdd::showError(const QString &text) {
    MessageBoxRequest box;
    box.text = text;
    box.title = QStringLiteral("Error");
    platform().dialogs->messageBox(box);
}

bool frmAdd::refuseUnstorableField(const Entry &entry) {
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

void frmAdd::cmdAdd_Click(int) {
    const Entry entry{m_txtUsername->text(), m_txtPassword->text(), m_txtWebsite->text()};
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

    Form1 *main = findForm<Form1>();
    if (!main)
        return;
    ListView &view = *main->lstPass();
    EntryListModel &list = *view.entries();
    int position = 0;
    if (m_addMode) {
        position = list.add(entry);
    } else {
        position = list.positionOf(m_row);
        if (position == 0) {
            showError(QStringLiteral("The entry you were editing has been deleted meanwhile. Nothing was saved."));
            return;
        }
        position = list.setEntry(position, entry);
    }
    view.selectPosition(position);
    view.scrollTo(list.index(position - 1, 0));

    if (SaveData(list))
        ShowStatus(QStringLiteral("Added new entry.  Data saved."));
    unload();
}

void frmAdd::cmdDelete_Click() {
    unload();
}

bool frmAdd::eventFilter(QObject *watched, QEvent *event) {
    // Enter in the location box saves, as the Save button does; Enter elsewhere does nothing.
    if (watched == m_txtWebsite && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdAdd_Click(0);
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

} // namespace varnook
