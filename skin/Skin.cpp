#include "Skin.h"

#include "ColourNumber.h"
#include "ControlArray.h"
#include "Design.h"
#include "PictureBox.h"
#include "ProgramValues.h"
#include "ScaleMode.h"
#include "SkinEngine.h"
#include "SkinLabel.h"
#include "TypeName.h"
#include "WindowControls.h"

#include <QMetaObject>

namespace varnook {

namespace {

const QString SkinLabelArray = QStringLiteral("SkinLabel1");

// One attempt at dressing the window with the skin SkinRef holds.
bool skinWithSkinRef(QWidget *window) {
    const auto *skin = qobject_cast<const SkinEngine *>(programValues().SkinRef.data());
    if (!skin || !skin->isLoaded())
        return false;
    const quint32 face = skin->faceColour();
    const quint32 text = skin->textColour();
    const quint32 picture = skin->pictureColour();
    return colourControls(window, face, text, picture) && skin->applyTo(window);
}

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

bool applySkin(QWidget *window) {
    if (!window)
        return false;
    if (skinWithSkinRef(window))
        return true;
    // The skin's window loads synchronously and skins itself; when it was loaded already there
    // is nothing to wait for, so the second attempt follows at once.
    if (const std::function<void()> loadSkinHolder = programValues().LoadSkinHolder)
        loadSkinHolder();
    return skinWithSkinRef(window);
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

bool showBanner(QWidget *window) {
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

    const int margin = scaleModeOf(window) == ScaleMode::Pixels ? 20 : twipsToPixels(280);
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
    return QMetaObject::invokeMethod(banner, "navigate", Q_ARG(QString, programValues().Branding.adServerPage));
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
        skinned->setFont(label->font());
        skinned->setCaption(label->text());
        skinned->setVisible(visibleFlag(label));
    }
    return true;
}

} // namespace varnook
