#pragma once

#include <QList>
#include <QMap>
#include <QPointer>

namespace varnook {

class SkinLabel;

// The design's control array of skinned labels, SkinLabel1: element 0 is the window's hidden
// template, and replaceLabels adds a copy for every plain label it covers. The array keeps its
// elements itself; each also carries the array's name and its index, as the design names them.
class SkinLabelArray {
public:
    // Element 0.
    explicit SkinLabelArray(SkinLabel *templateLabel);

    // Makes the label the array's element at the index, in place of any element there.
    void insert(int index, SkinLabel *label);
    // Null where the array has no element or the element was deleted.
    SkinLabel *element(int index) const;
    SkinLabel *templateLabel() const { return element(0); }
    // The index following the highest one given so far.
    int nextIndex() const;
    // The elements still there, by index.
    QList<SkinLabel *> elements() const;

private:
    QMap<int, QPointer<SkinLabel>> m_elements;
};

} // namespace varnook
