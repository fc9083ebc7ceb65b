#pragma once
// Hand-made pages for the request-cycle tests: a page of dated news items in
// a table, as the detection passes find them, and gzip coding of a page.
#include <zlib.h>

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

// The text as one gzip member.
inline std::string Gzip(const std::string& text) {
  z_stream stream{};
  deflateInit2(&stream, 6, Z_DEFLATED, 16 + 15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, text.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}
