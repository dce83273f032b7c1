/* The bevel button's pop-up menu rows and action notification receivers: the methods of
 * the control (called by the runtime with the control first). Entry points: the methods,
 * ClearBevelRows. */
#ifndef ARMONIX_APPEARANCE_BEVELMENU_H
#define ARMONIX_APPEARANCE_BEVELMENU_H
#include "plugins/appearance/bevelbutton.h"

#define METHOD __attribute__((force_align_arg_pointer))

METHOD void DeleteAllRows(Object* control);
METHOD void AddRow(Object* control, String* text);
METHOD void AddSeparator(Object* control);
METHOD void RemoveRow(Object* control, int32_t row);
METHOD void InsertRow(Object* control, int32_t row, String* text);
/* List(row): the row's text (a new reference), or nil outside the rows. */
METHOD String* ListGetter(Object* control, int32_t row);
METHOD void ListSetter(Object* control, int32_t row, String* text);
METHOD void AddReceiver(Object* control, void* receiver);
METHOD void RemoveReceiver(Object* control, void* receiver);

/* Releases every row. */
void ClearBevelRows(BevelData* data);

#endif
