#pragma once
// A print-out described without a drawing library: lines of text, panels
// and single graphs of the model, and tables of text, in their order, with a
// header and footer. The core decides what goes on the page; a front-end
// lays it out and renders it.
#include <string>
#include <vector>

#include "ui/types.h"

namespace bx::ui {

struct PrintItem {
  enum class Kind : unsigned char { Text, Panel, Graph, Table };
  Kind kind = Kind::Text;
  std::string text;        // Text: one line (empty: an empty line)
  double pointSize = 10;   // Text, Table
  int panel = -1;          // Panel: its handle; its graphs are drawn as vectors
  CtlRef graph;            // Graph: one graph control, drawn as vectors
  double heightShare = 0.4;  // Graph: its plot's height as a share of the line width
  // Table: a header row (bold; repeated where the table goes on over a page
  // break) and rows of cells; widths: each column's share of the line.
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
  std::vector<double> widths;
};

struct PrintJob {
  std::string title;           // document name for the print queue
  std::string fontFamily = "Arial";
  double marginCm = 2.54;
  double pointSize = 10;       // header and footer
  std::string headerLeft, headerRight;
  // Footer text; "{n}" and "{m}" become the page number and the page count.
  std::string footer;
  std::vector<PrintItem> items;

  void text(std::string line, double size) {
    PrintItem i;
    i.text = std::move(line);
    i.pointSize = size;
    items.push_back(std::move(i));
  }
  void panelShot(int handle) {
    PrintItem i;
    i.kind = PrintItem::Kind::Panel;
    i.panel = handle;
    items.push_back(std::move(i));
  }
  void graphShot(CtlRef graph, double heightShare) {
    PrintItem i;
    i.kind = PrintItem::Kind::Graph;
    i.graph = graph;
    i.heightShare = heightShare;
    items.push_back(std::move(i));
  }
  void table(std::vector<std::string> header, std::vector<std::vector<std::string>> rows, std::vector<double> widths,
             double size) {
    PrintItem i;
    i.kind = PrintItem::Kind::Table;
    i.header = std::move(header);
    i.rows = std::move(rows);
    i.widths = std::move(widths);
    i.pointSize = size;
    items.push_back(std::move(i));
  }
};

// Where a print job goes: a printer by name, or a PDF file.
struct PrintTarget {
  std::string printer;   // empty: pdfPath
  std::string pdfPath;
};

}  // namespace bx::ui
