#include "ui/twips.h"

namespace zz::ui {

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

QPoint twipsPoint(int x, int y) {
    return QPoint(twips(x), twips(y));
}

}  // namespace zz::ui
