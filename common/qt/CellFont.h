#pragma once

#include <QFont>
#include <QString>

namespace halden {

// Fonts given as the system gives them: a face, a cell height in pixels (ascent plus
// descent) and a weight from 100 to 900. The faces the system names are rarely
// installed here, so each gets look-alike substitutes.
class CellFont {
public:
    static QFont make(const QString& family, int cellHeight, int weight,
                      QFont::StyleHint hint = QFont::AnyStyle);
};

} // namespace halden
