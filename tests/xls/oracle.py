# Reads .xls files with xlrd (stored values) for the engine tests.
#   oracle.py compare FILE.xls CSVDIR PREFIX [SKIP]
#                                               stored values of every sheet == LibreOffice's
#                                               recomputed values in CSVDIR/PREFIX-<sheet>.csv;
#                                               SKIP: "Sheet!A1,Sheet!B2" cells left out
#   oracle.py facts FILE.xls                    column widths, hidden columns, merged ranges,
#                                               print areas and texts, one fact a line
import csv, os, sys
import xlrd

def compare(path, csvdir, prefix, skip):
    book = xlrd.open_workbook(path, formatting_info=True)
    bad = 0
    for sh in book.sheets():
        rows = list(csv.reader(open(os.path.join(csvdir, "%s-%s.csv" % (prefix, sh.name)), encoding="utf-8")))
        for r in range(sh.nrows):
            for c in range(sh.ncols):
                if "%s!%s" % (sh.name, xlrd.cellname(r, c)) in skip:
                    continue
                cell = sh.cell(r, c)
                shown = rows[r][c] if r < len(rows) and c < len(rows[r]) else ""
                ok = True
                if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    ok = shown == ""
                elif cell.ctype == xlrd.XL_CELL_TEXT:
                    ok = cell.value == shown
                elif cell.ctype == xlrd.XL_CELL_NUMBER:
                    try:
                        decimals = len(shown.split(".")[1]) if "." in shown else 0
                        ok = abs(cell.value - float(shown)) <= 0.5 * 10 ** -decimals + 1e-9
                    except ValueError:
                        ok = False
                elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                    ok = ("TRUE" if cell.value else "FALSE") == shown
                elif cell.ctype == xlrd.XL_CELL_ERROR:
                    stored = xlrd.error_text_from_code.get(cell.value)
                    # LibreOffice turns arithmetic on a deleted reference into #VALUE!;
                    # the engine stores #REF!, as Excel computes it.
                    ok = stored == shown or (stored == "#REF!" and shown == "#VALUE!")
                if not ok:
                    bad += 1
                    print("%s!%s: stored %r, LibreOffice shows %r" % (sh.name, xlrd.cellname(r, c), cell.value, shown))
    sys.exit(1 if bad else 0)

def facts(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    for sh in book.sheets():
        for c in sorted(k for k in sh.colinfo_map if k < 20):
            ci = sh.colinfo_map[c]
            print("%s col %d width %d%s" % (sh.name, c + 1, ci.width, " hidden" if ci.hidden else ""))
        for (r1, r2, c1, c2) in sorted(sh.merged_cells):
            print("%s merged %s:%s" % (sh.name, xlrd.cellname(r1, c1), xlrd.cellname(r2 - 1, c2 - 1)))
        for r in range(sh.nrows):
            for c in range(sh.ncols):
                cell = sh.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_TEXT:
                    print("%s text %s %s" % (sh.name, xlrd.cellname(r, c), cell.value))
    for name in book.name_obj_list:
        if name.name.lower() == "print_area" or name.builtin:
            try:
                s, r1, r2, c1, c2 = name.area2d()
                print("name %s %s %s:%s" % (name.name, s.name, xlrd.cellname(r1, c1),
                                            xlrd.cellname(r2 - 1, c2 - 1)))
            except Exception as e:
                print("name %s unreadable %s" % (name.name, e))

if sys.argv[1] == "compare":
    compare(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5].split(",") if len(sys.argv) > 5 else [])
else:
    facts(sys.argv[2])
