// The report's style sheet, inline so the page needs nothing beside it and prints as seen.
#include "tools/zelkctl/report/report_page.h"

namespace zelk::tools {

const char kReportStyle[] = R"css(
body { font: 14px/1.45 system-ui, "Segoe UI", sans-serif; color: #1d2330; background: #f3f4f7;
       margin: 0; padding: 24px 32px; }
h1 { font-size: 22px; margin: 0 0 8px; }
h2 { font-size: 17px; margin: 0 0 10px; border-bottom: 1px solid #d5d9e2; padding-bottom: 4px; }
h3 { font-size: 14px; margin: 14px 0 6px; }
code { font: 12px ui-monospace, Consolas, monospace; }
.header, .part { background: #fff; border: 1px solid #d5d9e2; border-radius: 6px;
                 padding: 14px 18px; margin-bottom: 18px; }
.facts th { text-align: left; font-weight: 600; padding: 2px 16px 2px 0; vertical-align: top; }
.facts td { word-break: break-all; }
.summary, .note, .clean { color: #4a5263; }
.findings { margin: 0; padding-left: 18px; }
.findings .error b { color: #b3261e; }
.findings .warning b { color: #8a5a00; }
.menus { display: flex; flex-wrap: wrap; gap: 14px; align-items: flex-start; }
.menu { background: #fbfbfd; border: 1px solid #c9ced9; border-radius: 6px;
        box-shadow: 0 2px 6px rgba(20, 30, 60, 0.12); min-width: 230px; }
.menu h3 { margin: 0; padding: 6px 10px; background: #e8ebf2; border-radius: 6px 6px 0 0;
           font-size: 13px; }
.menu h3 .section { color: #6b7385; font-weight: normal; }
.entries { list-style: none; margin: 0; padding: 4px 0; }
.entry { padding: 3px 12px; display: flex; gap: 8px; align-items: center; }
.toolbar { flex-basis: 100%; }
.toolbar .entries { display: flex; flex-wrap: wrap; gap: 6px; padding: 8px; }
.toolbar .entry { border: 1px solid #c9ced9; border-radius: 4px; background: #fff; }
.entry.off { opacity: 0.45; background: #f1f1f1; }
.entry.off .label { text-decoration: line-through; }
.entry .key { color: #b3261e; font-size: 11px; }
.entry.separator { padding-top: 0; padding-bottom: 0; }
.rule { flex: 1; border-top: 1px solid #aab1c0; margin: 5px 0; min-width: 60px; }
.entry.off .rule { border-top-style: dashed; }
.ids { margin-left: auto; display: flex; gap: 3px; }
.id { font: 10px ui-monospace, Consolas, monospace; border-radius: 3px; padding: 0 3px;
      background: #e3e6ee; }
.id.allowed { background: #d9f0dd; color: #1e5b2a; }
.id.refused { background: #f8d7d4; color: #8c1d15; }
table.list { border-collapse: collapse; width: 100%; }
table.list th, table.list td { text-align: left; padding: 3px 8px; border-bottom: 1px solid #e4e7ee;
                               vertical-align: top; }
table.list td code { word-break: break-all; }
tr.warned td, td.warning { color: #8a5a00; }
tr.failed .result, tr.refused .result { color: #b3261e; font-weight: 600; }
tr.passed .result, tr.allowed .result { color: #1e5b2a; }
iframe.denied { width: 100%; height: 320px; border: 2px solid #c9ced9; border-radius: 4px;
                background: #fff; }
pre.source { white-space: pre-wrap; word-break: break-all; background: #f6f7fa;
             border: 1px solid #e4e7ee; padding: 8px; font-size: 12px; }
.footer { color: #8a91a1; font-size: 12px; }
@media print { body { background: #fff; padding: 0; } .menu { box-shadow: none; } }
)css";

}  // namespace zelk::tools
