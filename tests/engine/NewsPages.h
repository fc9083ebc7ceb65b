#pragma once
// Hand-made pages for the request-cycle tests: a page of dated news items in
// a table, as the detection passes find them, and gzip coding of a page.
#include "tests/support/Compress.h"

#include <string>

// A table of count rows, each a date and a linked headline about topic.
inline std::string DatedTablePage(const std::string& topic, int count) {
  std::string rows;
  for (int day = 1; day <= count; ++day) {
    const std::string number = std::to_string(day);
    rows += "<tr><td>" + std::string(day < 10 ? "0" : "") + number +
            "/03/2024</td><td><a href=\"/" + topic + "/" + number + ".html\">" + topic +
            " council approves budget plan " + number + "</a></td></tr>\n";
  }
  return "<html><head><title>" + topic + "</title></head><body><h1>News</h1><table>\n" + rows +
         "</table></body></html>\n";
}
