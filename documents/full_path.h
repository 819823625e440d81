#pragma once
#include <QString>

namespace tallomer {

// The file the dialog saves to or opens: the folder, "/", and the name exactly as typed or
// listed (nothing trimmed, no extension added). At the root "/" no second separator is put
// in, so the path stays the one a person would write.
QString fullPath(const QString& folder, const QString& name);

}  // namespace tallomer
