#include "Skin.h"

#include "ColourNumber.h"
#include "ControlArray.h"
#include "Design.h"
#include "PictureBox.h"
#include "SkinEngine.h"
#include "SkinLabel.h"
#include "SkinLog.h"
#include "TypeName.h"
#include "WindowControls.h"

#include <QMetaObject>

namespace varnook {

namespace {

const QString SkinLabelArray = QStringLiteral("SkinLabel1");

void setPaletteColour(QWidget *control, QPalette::ColorRole role, const QColor &colour) {
    QPalette palette = control->palette();
    palette.setColor(role, colour);
    control->setPalette(palette);
}

// The Visible flag of a control: whether it shows once its container shows.
bool visibleFlag(const QWidget *control) {
    const QWidget *container = control->parentWidget();
    return container ? control->isVisibleTo(container) : control->isVisible();
}

} // namespace

bool applySkin(QWidget *window, const SkinEngine *skin) {
    if (!window)
        return false;
    if (!skin || !skin->isLoaded()) {
        qCWarning(skinLog) << "No skin to apply to" << window->objectName()
                           << (skin ? skin->errorString() : QStringLiteral("(no skin engine)"));
        return false;
    }
    const bool applied =
        colourControls(window, skin->faceColour(), skin->textColour(), skin->pictureColour()) && skin->applyTo(window);
    if (!applied)
        qCWarning(skinLog) << "The skin" << skin->skinName() << "did not apply to" << window->objectName();
    return applied;
}

bool colourControls(QWidget *window, quint32 faceColour, quint32 textColour, quint32 pictureColour) {
    const QColor face = colourFromNumber(faceColour);
    const QColor text = colourFromNumber(textColour);
    const QColor picture = colourFromNumber(pictureColour);
    if (!window || !face.isValid() || !text.isValid() || !picture.isValid())
        return false;

    static const QStringList listTypes = {QStringLiteral("TextBox"),      QStringLiteral("ComboBox"),
                                          QStringLiteral("FileListBox"),  QStringLiteral("DirListBox"),
                                          QStringLiteral("DriveListBox"), QStringLiteral("ListBox"),
                                          QStringLiteral("ListView")};
    const QList<QWidget *> controls = windowControls(window);
    for (QWidget *control : controls) {
        const QString type = typeName(control);
        if (type == QLatin1String("CommandButton")) {
            setPaletteColour(control, QPalette::Button, face);
        } else if (listTypes.contains(type)) {
            QPalette palette = control->palette();
            palette.setColor(QPalette::Base, face);
            palette.setColor(QPalette::Text, text);
            control->setPalette(palette);
        } else if (type == QLatin1String("PictureBox")) {
            setPaletteColour(control, QPalette::Window, picture);
            control->setAutoFillBackground(true);
        }
    }
    return true;
}

bool showBanner(QWidget *window, const QString &adServerPage) {
    if (!window)
        return false;
    QWidget *banner = window->findChild<QWidget *>(QStringLiteral("wbBanner"));
    QWidget *picture = window->findChild<QWidget *>(QStringLiteral("wbPicture"));
    if (!banner || !picture || !banner->parentWidget())
        return false;
    if (window->findChild<QWidget *>(QStringLiteral("picBox")))
        return false; // the strip is in place already
    if (banner->metaObject()->indexOfMethod("navigate(QString)") < 0)
        return false;

    const int margin = twipsToPixels(280);
    auto *box = new PictureBox(banner->parentWidget());
    box->setObjectName(QStringLiteral("picBox"));
    box->setFrameShape(QFrame::NoFrame);
    box->setGeometry(banner->x(), banner->y(), banner->width() - margin, banner->height());

    const QSize bannerSize = banner->size();
    banner->setParent(box);
    banner->setGeometry(QRect(QPoint(0, 0), bannerSize));
    box->show();
    banner->show();
    picture->hide();

    // The browser returns at once and loads the page while the window goes on loading.
    const bool navigated = QMetaObject::invokeMethod(banner, "navigate", Q_ARG(QString, adServerPage));
    if (!navigated)
        qCWarning(skinLog) << "The banner could not be told to open" << adServerPage;
    return navigated;
}

bool replaceLabels(QWidget *window) {
    if (!window)
        return false;
    QWidget *templateLabel = controlElement(window, SkinLabelArray, 0);
    if (!templateLabel)
        return false;
    QWidget *container = templateLabel->parentWidget();

    int nextIndex = 0;
    const auto elements = window->findChildren<QWidget *>(SkinLabelArray);
    for (const QWidget *element : elements)
        nextIndex = qMax(nextIndex, controlIndex(element) + 1);

    const QList<QWidget *> controls = windowControls(window);
    for (QWidget *control : controls) {
        if (typeName(control) != QLatin1String("Label") || control->parentWidget() != container)
            continue;
        const auto *label = static_cast<const QLabel *>(control);
        auto *skinned = new SkinLabel(container);
        setControlIndex(skinned, SkinLabelArray, nextIndex++);
        skinned->hide();
        skinned->setGeometry(label->geometry());
        // The copy takes the label's place in the stacking order too: the controls made after the
        // label (an address box over its right part) stay above it.
        skinned->stackUnder(control);
        control->stackUnder(skinned);
        skinned->setFont(label->font());
        skinned->setCaption(label->text());
        skinned->setVisible(visibleFlag(label));
    }
    return true;
}

} // namespace varnook
