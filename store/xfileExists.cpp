#include "xfileExists.h"

#include <QFileInfo>

namespace varnook {

bool FileExists(const QString &path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

} // namespace varnook
