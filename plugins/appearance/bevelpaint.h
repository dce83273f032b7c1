/* The bevel button's drawing. Entry point: PaintBevelButton. */
#ifndef ARMONIX_APPEARANCE_BEVELPAINT_H
#define ARMONIX_APPEARANCE_BEVELPAINT_H
#include "plugins/appearance/bevelbutton.h"

/* Draws the whole button into g (control coordinates). */
void PaintBevelButton(Object* control, Object* g);

#endif
