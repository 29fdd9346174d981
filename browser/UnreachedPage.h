#pragma once

#include <QString>

namespace varnook {

// The program's own page for an address that could not be loaded: it names the address and says
// why in plain words, followed by the web engine's own error name and number.
namespace UnreachedPage {

// The reason in plain words for one of the web engine's network error numbers ("net::ERR_…", negative)
// or for an HTTP status (positive) that came without a page.
QString reason(int errorCode);

// The complete page, every text escaped for HTML.
QString html(const QString &address, int errorCode, const QString &engineError);

// The program's own banner, shown in the banner strip when its page could not be loaded.
QString bannerHtml();

} // namespace UnreachedPage

} // namespace varnook
