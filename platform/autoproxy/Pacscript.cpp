#include "platform/autoproxy/Pacscript.h"

#include <arpa/inet.h>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <duktape.h>

#include "platform/autoproxy/Autoproxy.h"

namespace {

// A script that builds ever larger strings is stopped by its allocations.
const size_t ScriptMemoryLimit = 64 * 1024 * 1024;

struct TScriptHeap {
  const TAutoProxyHelpers* Helpers;
  size_t Used = 0;
};

// Every block carries its size in front, so the heap can count what it holds.
const size_t BlockHeader = alignof(std::max_align_t);

void* HeapAlloc(void* udata, duk_size_t size) {
  auto* heap = static_cast<TScriptHeap*>(udata);
  if (size == 0)
    return nullptr;
  if (heap->Used + size > ScriptMemoryLimit)
    return nullptr;
  auto* block = static_cast<char*>(std::malloc(size + BlockHeader));
  if (block == nullptr)
    return nullptr;
  std::memcpy(block, &size, sizeof size);
  heap->Used += size;
  return block + BlockHeader;
}

size_t BlockSize(void* ptr) {
  size_t size;
  std::memcpy(&size, static_cast<char*>(ptr) - BlockHeader, sizeof size);
  return size;
}

void HeapFree(void* udata, void* ptr) {
  if (ptr == nullptr)
    return;
  static_cast<TScriptHeap*>(udata)->Used -= BlockSize(ptr);
  std::free(static_cast<char*>(ptr) - BlockHeader);
}

void* HeapRealloc(void* udata, void* ptr, duk_size_t size) {
  if (ptr == nullptr)
    return HeapAlloc(udata, size);
  if (size == 0) {
    HeapFree(udata, ptr);
    return nullptr;
  }
  void* grown = HeapAlloc(udata, size);
  if (grown == nullptr)
    return nullptr;
  size_t old = BlockSize(ptr);
  std::memcpy(grown, ptr, old < size ? old : size);
  HeapFree(udata, ptr);
  return grown;
}

[[noreturn]] void HeapFatal(void*, const char*) {
  std::abort();
}

const TAutoProxyHelpers& Helpers(duk_context* ctx) {
  duk_memory_functions functions;
  duk_get_memory_functions(ctx, &functions);
  return *static_cast<TScriptHeap*>(functions.udata)->Helpers;
}

bool Resolve(duk_context* ctx, const char* host, std::string& address) {
  char buffer[256] = "";
  uint32_t size = sizeof buffer;
  if (Helpers(ctx).ResolveHostName(host, buffer, &size) != 0)
    return false;
  address = buffer;
  return true;
}

duk_ret_t NativeIsResolvable(duk_context* ctx) {
  duk_push_boolean(ctx, Helpers(ctx).IsResolvable(duk_safe_to_string(ctx, 0)));
  return 1;
}

duk_ret_t NativeDnsResolve(duk_context* ctx) {
  std::string address;
  if (Resolve(ctx, duk_safe_to_string(ctx, 0), address))
    duk_push_string(ctx, address.c_str());
  else
    duk_push_null(ctx);
  return 1;
}

duk_ret_t NativeMyIpAddress(duk_context* ctx) {
  char buffer[256] = "";
  uint32_t size = sizeof buffer;
  bool found = Helpers(ctx).GetIPAddress(buffer, &size) == 0;
  duk_push_string(ctx, found ? buffer : "127.0.0.1");
  return 1;
}

duk_ret_t NativeIsInNet(duk_context* ctx) {
  std::string host = duk_safe_to_string(ctx, 0);
  std::string network = duk_safe_to_string(ctx, 1);
  std::string mask = duk_safe_to_string(ctx, 2);
  in_addr parsed;
  std::string address = host;
  if (inet_pton(AF_INET, host.c_str(), &parsed) != 1 && !Resolve(ctx, host.c_str(), address)) {
    duk_push_false(ctx);
    return 1;
  }
  duk_push_boolean(ctx, Helpers(ctx).IsInNet(address.c_str(), network.c_str(), mask.c_str()));
  return 1;
}

// The helpers scripts may call that need nothing of the host.
const char ScriptHelpers[] = R"JS(
function isPlainHostName(host) { return String(host).indexOf('.') < 0; }
function dnsDomainIs(host, domain) {
  host = String(host); domain = String(domain);
  return host.length >= domain.length && host.substring(host.length - domain.length) === domain;
}
function localHostOrDomainIs(host, hostdom) {
  host = String(host); hostdom = String(hostdom);
  return host === hostdom ||
         (host.indexOf('.') < 0 && hostdom.substring(0, host.length + 1) === host + '.');
}
function dnsDomainLevels(host) { return String(host).split('.').length - 1; }
function shExpMatch(text, pattern) {
  var source = String(pattern).replace(/[.+^${}()|[\]\\\/]/g, '\\$&')
                              .replace(/\*/g, '.*').replace(/\?/g, '.');
  return new RegExp('^' + source + '$').test(String(text));
}
var wtDayNames = ['SUN', 'MON', 'TUE', 'WED', 'THU', 'FRI', 'SAT'];
var wtMonthNames = ['JAN', 'FEB', 'MAR', 'APR', 'MAY', 'JUN',
                    'JUL', 'AUG', 'SEP', 'OCT', 'NOV', 'DEC'];
function wtArguments(args) {
  var list = Array.prototype.slice.call(args);
  var gmt = list.length > 0 && list[list.length - 1] === 'GMT';
  if (gmt) list.pop();
  return { gmt: gmt, list: list, now: new Date() };
}
function wtInRange(low, value, high) {
  return low <= high ? low <= value && value <= high : value >= low || value <= high;
}
function weekdayRange() {
  var a = wtArguments(arguments);
  if (a.list.length < 1 || a.list.length > 2) return false;
  var first = wtDayNames.indexOf(String(a.list[0]).toUpperCase());
  var last = a.list.length === 2 ? wtDayNames.indexOf(String(a.list[1]).toUpperCase()) : first;
  if (first < 0 || last < 0) return false;
  return wtInRange(first, a.gmt ? a.now.getUTCDay() : a.now.getDay(), last);
}
// One end of a date range: a day (1-31), a month name and a year (above 31),
// each at most once. Returns the fields named and their value as y*10000+m*100+d.
function wtDatePoint(values) {
  var point = { fields: '', value: 0 };
  for (var i = 0; i < values.length; ++i) {
    var v = values[i], field, amount;
    if (typeof v === 'string' && wtMonthNames.indexOf(v.toUpperCase()) >= 0) {
      field = 'm'; amount = wtMonthNames.indexOf(v.toUpperCase()) * 100;
    } else {
      v = Number(v);
      if (isNaN(v) || v < 1) return null;
      if (v > 31) { field = 'y'; amount = v * 10000; } else { field = 'd'; amount = v; }
    }
    if (point.fields.indexOf(field) >= 0) return null;
    point.fields += field; point.value += amount;
  }
  point.fields = point.fields.split('').sort().join('');
  return point;
}
function wtToday(fields, now, gmt) {
  var value = 0;
  if (fields.indexOf('y') >= 0) value += (gmt ? now.getUTCFullYear() : now.getFullYear()) * 10000;
  if (fields.indexOf('m') >= 0) value += (gmt ? now.getUTCMonth() : now.getMonth()) * 100;
  if (fields.indexOf('d') >= 0) value += gmt ? now.getUTCDate() : now.getDate();
  return value;
}
function dateRange() {
  var a = wtArguments(arguments), n = a.list.length;
  if (n !== 1 && n !== 2 && n !== 4 && n !== 6) return false;
  var half = n === 1 ? 1 : n / 2;
  var low = wtDatePoint(a.list.slice(0, half));
  var high = n === 1 ? low : wtDatePoint(a.list.slice(half));
  if (!low || !high || low.fields !== high.fields) return false;
  return wtInRange(low.value, wtToday(low.fields, a.now, a.gmt), high.value);
}
function timeRange() {
  var a = wtArguments(arguments), n = a.list.length, v = [];
  for (var i = 0; i < n; ++i) {
    v.push(Number(a.list[i]));
    if (isNaN(v[i])) return false;
  }
  var h = a.gmt ? a.now.getUTCHours() : a.now.getHours();
  var m = a.gmt ? a.now.getUTCMinutes() : a.now.getMinutes();
  var s = a.gmt ? a.now.getUTCSeconds() : a.now.getSeconds();
  if (n === 1) return h === v[0];
  if (n === 2) return wtInRange(v[0], h, v[1]);
  if (n === 4) return wtInRange(v[0] * 60 + v[1], h * 60 + m, v[2] * 60 + v[3]);
  if (n === 6)
    return wtInRange(v[0] * 3600 + v[1] * 60 + v[2], h * 3600 + m * 60 + s,
                     v[3] * 3600 + v[4] * 60 + v[5]);
  return false;
}
)JS";

void RegisterNatives(duk_context* ctx) {
  const duk_function_list_entry natives[] = {
      {"isResolvable", NativeIsResolvable, 1},
      {"dnsResolve", NativeDnsResolve, 1},
      {"myIpAddress", NativeMyIpAddress, 0},
      {"isInNet", NativeIsInNet, 3},
      {nullptr, nullptr, 0},
  };
  duk_push_global_object(ctx);
  duk_put_function_list(ctx, -1, natives);
  duk_pop(ctx);
}

bool Evaluate(duk_context* ctx, const char* name, const std::string& source, std::string& error) {
  duk_push_string(ctx, name);
  if (duk_pcompile_lstring_filename(ctx, 0, source.data(), source.size()) != 0 ||
      duk_pcall(ctx, 0) != 0) {
    error = duk_safe_to_string(ctx, -1);
    duk_pop(ctx);
    return false;
  }
  duk_pop(ctx);
  return true;
}

bool CallFindProxy(duk_context* ctx, const std::string& url, const std::string& host,
                   std::string& answer, std::string& error) {
  if (!duk_get_global_string(ctx, "FindProxyForURL") || !duk_is_function(ctx, -1)) {
    error = "the script defines no FindProxyForURL";
    return false;
  }
  duk_push_lstring(ctx, url.data(), url.size());
  duk_push_lstring(ctx, host.data(), host.size());
  if (duk_pcall(ctx, 2) != 0) {
    error = duk_safe_to_string(ctx, -1);
    return false;
  }
  if (!duk_is_string(ctx, -1)) {
    error = "FindProxyForURL returned no string";
    return false;
  }
  duk_size_t length = 0;
  const char* text = duk_get_lstring(ctx, -1, &length);
  answer.assign(text, length);
  return true;
}

} // namespace

bool RunProxyScript(const std::string& script, const std::string& url, const std::string& host,
                    const TAutoProxyHelpers& helpers, std::string& answer, std::string& error) {
  TScriptHeap heap{&helpers};
  duk_context* ctx = duk_create_heap(HeapAlloc, HeapRealloc, HeapFree, &heap, HeapFatal);
  if (ctx == nullptr) {
    error = "no memory for the script";
    return false;
  }
  RegisterNatives(ctx);
  bool ok = Evaluate(ctx, "helpers", ScriptHelpers, error) &&
            Evaluate(ctx, "script", script, error) && CallFindProxy(ctx, url, host, answer, error);
  duk_destroy_heap(ctx);
  return ok;
}
