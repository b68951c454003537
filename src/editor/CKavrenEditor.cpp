#include "editor/CKavrenEditor.h"

bool CKavrenEditor::getSize(double rect[4]) {
    rect[0] = 0.0;
    rect[1] = 0.0;
    rect[2] = kWidth;
    rect[3] = kHeight;
    return true;
}

bool CKavrenEditor::open(void*) {
    return false;
}
