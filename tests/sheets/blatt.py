# Prints a price sheet as an independent reader (openpyxl) sees it: sheet
# protection, frozen panes, hidden columns, then per row every cell that has a
# value or takes input: reference, what it holds (a formula as written), the
# value last computed when it differs, [frei] for an unlocked cell, bold and the
# number format.
import sys
import openpyxl

formeln = openpyxl.load_workbook(sys.argv[1])
werte = openpyxl.load_workbook(sys.argv[1], data_only=True)
ws, wv = formeln.active, werte.active
print(ws.title, "geschützt" if ws.protection.sheet else "offen", "Kennwort" if ws.protection.password else "ohne Kennwort",
      "fixiert", ws.freeze_panes, "versteckt",
      sorted(k for k, d in ws.column_dimensions.items() if d.hidden), "Filter", ws.auto_filter.ref)
for row in ws.iter_rows():
    zellen = []
    for c in row:
        if c.value is None and c.protection.locked:
            continue
        v = wv[c.coordinate].value
        s = c.coordinate + "=" + repr(c.value)
        if v != c.value:
            s += " ->" + repr(v)
        if not c.protection.locked:
            s += " [frei]"
        if c.font.b:
            s += " fett"
        if c.number_format != "General":
            s += " " + c.number_format
        zellen.append(s)
    if zellen:
        print(" | ".join(zellen))
