#pragma once

#include <QDateTime>
#include <QString>

namespace netview {

// Where a file dialog of the tab starts: the ID folder, and for a save a
// name dated now after the filter's kind ("site-20261208-1151.xml",
// "report-20261208-1151.pdf").
QString SuggestedPath(const QString& folder, const QString& filter, bool save, const QDateTime& now);

// The file with the suffix added when it has another one or none (".PDF" counts).
QString WithSuffix(const QString& file, const QString& suffix);

}  // namespace netview
