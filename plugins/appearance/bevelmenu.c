/* Rows and receivers of the bevel button. Row indexes outside the rows change nothing;
 * InsertRow past the end appends. A row array that cannot grow keeps the rows it had. */
#include "plugins/appearance/bevelmenu.h"

#include <stdlib.h>
#include <string.h>

static int Grow(BevelData* data) {
  BevelRow* rows = realloc(data->rows, (size_t)(data->rowCount + 1) * sizeof(BevelRow));
  if (rows == NULL) return 0;
  data->rows = rows;
  return 1;
}

static void Insert(BevelData* data, int32_t at, String* text, uint8_t separator) {
  if (at < 0 || at > data->rowCount) at = data->rowCount;
  if (!Grow(data)) return;
  memmove(&data->rows[at + 1], &data->rows[at], (size_t)(data->rowCount - at) * sizeof(BevelRow));
  data->rows[at].text = gRuntime.MAVELockString(text);
  data->rows[at].separator = separator;
  data->rowCount++;
}

void ClearBevelRows(BevelData* data) {
  for (int32_t i = 0; i < data->rowCount; ++i) gRuntime.MAVEUnlockString(data->rows[i].text);
  free(data->rows);
  data->rows = NULL;
  data->rowCount = 0;
}

void DeleteAllRows(Object* control) {
  if (control != NULL) ClearBevelRows(Bevel(control));
}

void AddRow(Object* control, String* text) {
  if (control != NULL) Insert(Bevel(control), -1, text, 0);
}

void AddSeparator(Object* control) {
  if (control != NULL) Insert(Bevel(control), -1, NULL, 1);
}

void RemoveRow(Object* control, int32_t row) {
  if (control == NULL) return;
  BevelData* data = Bevel(control);
  if (row < 0 || row >= data->rowCount) return;
  gRuntime.MAVEUnlockString(data->rows[row].text);
  memmove(&data->rows[row], &data->rows[row + 1], (size_t)(data->rowCount - row - 1) * sizeof(BevelRow));
  data->rowCount--;
}

void InsertRow(Object* control, int32_t row, String* text) {
  if (control != NULL) Insert(Bevel(control), row, text, 0);
}

String* ListGetter(Object* control, int32_t row) {
  if (control == NULL) return NULL;
  BevelData* data = Bevel(control);
  if (row < 0 || row >= data->rowCount) return NULL;
  return gRuntime.MAVELockString(data->rows[row].text);
}

void ListSetter(Object* control, int32_t row, String* text) {
  if (control == NULL) return;
  BevelData* data = Bevel(control);
  if (row < 0 || row >= data->rowCount) return;
  String* old = data->rows[row].text;
  data->rows[row].text = gRuntime.MAVELockString(text);
  data->rows[row].separator = 0;
  gRuntime.MAVEUnlockString(old);
}

void AddReceiver(Object* control, void* receiver) {
  if (control == NULL || receiver == NULL) return;
  BevelData* data = Bevel(control);
  void** grown = realloc(data->receivers, (size_t)(data->receiverCount + 1) * sizeof(void*));
  if (grown == NULL) return;
  data->receivers = grown;
  data->receivers[data->receiverCount++] = receiver;
}

void RemoveReceiver(Object* control, void* receiver) {
  if (control == NULL) return;
  BevelData* data = Bevel(control);
  for (int32_t i = 0; i < data->receiverCount; ++i) {
    if (data->receivers[i] != receiver) continue;
    memmove(&data->receivers[i], &data->receivers[i + 1],
            (size_t)(data->receiverCount - i - 1) * sizeof(void*));
    data->receiverCount--;
    return;
  }
}
