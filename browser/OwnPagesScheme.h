#pragma once

#include <QString>
#include <QStringList>

namespace varnook {

// The address scheme under which the program serves its own pages (the banner, the product page,
// the company page) from its resources: "varnook://<host>/<path>", a secure scheme with a host.
namespace OwnPagesScheme {

// "varnook"
QString name();

// Makes the scheme known to the web engine. Must run before the QApplication is made, since the
// engine reads its schemes once when it starts; later calls do nothing.
void registerScheme();

// The hosts whose pages the program serves itself: the vendor's and the company's in a build that
// ships its own pages, none in a build whose hosts are real.
QStringList hosts();

// A bare host name one of whose pages the program serves ("www.quillmere.example", no scheme).
bool isOwnHost(const QString &host);

} // namespace OwnPagesScheme

} // namespace varnook
