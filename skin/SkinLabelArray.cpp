#include "SkinLabelArray.h"

#include "ControlArray.h"
#include "SkinLabel.h"

namespace varnook {

namespace {
const QString ArrayName = QStringLiteral("SkinLabel1");
}

SkinLabelArray::SkinLabelArray(SkinLabel *templateLabel) {
    insert(0, templateLabel);
}

void SkinLabelArray::insert(int index, SkinLabel *label) {
    if (!label)
        return;
    setControlIndex(label, ArrayName, index);
    m_elements.insert(index, label);
}

SkinLabel *SkinLabelArray::element(int index) const {
    return m_elements.value(index);
}

int SkinLabelArray::nextIndex() const {
    return m_elements.isEmpty() ? 0 : m_elements.lastKey() + 1;
}

QList<SkinLabel *> SkinLabelArray::elements() const {
    QList<SkinLabel *> elements;
    for (const QPointer<SkinLabel> &element : m_elements) {
        if (element)
            elements.append(element);
    }
    return elements;
}

} // namespace varnook
