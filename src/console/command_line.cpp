#include "console/command_line.h"

#include <string_view>

#include "core/text.h"

namespace velmora {

namespace {

struct Switch {
  std::string name;                  // lower case, without its leading marks
  std::optional<std::string> value;  // given after ":" or "="
};

// A switch, or nothing for an argument that is none.
std::optional<Switch> switchOf(std::string_view arg) {
  if (arg.size() < 2 || (arg.front() != '/' && arg.front() != '-')) return std::nullopt;
  arg.remove_prefix(arg.substr(0, 2) == "--" ? 2 : 1);
  Switch s;
  const std::size_t mark = arg.find_first_of(":=");
  if (mark != std::string_view::npos) {
    s.value = std::string(arg.substr(mark + 1));
    arg = arg.substr(0, mark);
  }
  for (const char c : arg) s.name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return s;
}

bool isHelp(std::string_view arg) {
  const std::optional<Switch> s = switchOf(arg);
  return equalsIgnoreCase(arg, "help") || (s && !s->value && (s->name == "?" || s->name == "help" || s->name == "h"));
}

}  // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  ConsoleCommand& c = parsed.command;
  const auto fail = [&parsed](const char* key, std::string value) {
    parsed.error = CommandLineError{key, std::move(value)};
    return parsed;
  };
  if (arguments.empty() || isHelp(arguments.front())) return parsed;
  const std::string& verb = arguments.front();
  if (equalsIgnoreCase(verb, "list")) {
    c.verb = ConsoleVerb::List;
  } else if (equalsIgnoreCase(verb, "compare")) {
    c.verb = ConsoleVerb::Compare;
  } else if (equalsIgnoreCase(verb, "disable")) {
    c.verb = ConsoleVerb::Disable;
  } else if (equalsIgnoreCase(verb, "enable")) {
    c.verb = ConsoleVerb::Enable;
  } else {
    return fail("_ConsoleUnknownCommand", verb);
  }
  const bool lists = c.verb == ConsoleVerb::List || c.verb == ConsoleVerb::Compare;
  const bool switches = c.verb == ConsoleVerb::Disable || c.verb == ConsoleVerb::Enable;

  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    std::optional<Switch> s = switchOf(arg);
    if (!s) {
      if (switches) {
        c.ids.push_back(arg);
      } else if (c.verb == ConsoleVerb::Compare && c.baseline.empty()) {
        c.baseline = arg;
      } else {
        return fail("_ConsoleUnexpectedArgument", arg);
      }
      continue;
    }
    // A switch that takes a value takes the next argument when none is attached.
    const auto value = [&]() -> std::optional<std::string> {
      if (s->value) return s->value;
      if (i + 1 < arguments.size()) return arguments[++i];
      return std::nullopt;
    };
    const std::string& n = s->name;
    if (lists && (n == "format" || n == "out" || n == "place")) {
      const std::optional<std::string> v = value();
      if (!v || v->empty()) return fail("_ConsoleMissingValue", arg);
      if (n == "format") {
        const std::optional<OutputFormat> format = outputFormatNamed(*v);
        if (!format) return fail("_ConsoleUnknownFormat", *v);
        c.format = *format;
      } else if (n == "out") {
        c.out = *v;
      } else {
        c.place = *v;
      }
      continue;
    }
    if (s->value) return fail("_ConsoleUnknownSwitch", arg);
    if (c.verb == ConsoleVerb::List && n == "only-on") {
      c.onlyOn = true;
    } else if (c.verb == ConsoleVerb::List && n == "only-off") {
      c.onlyOff = true;
    } else if (c.verb == ConsoleVerb::List && n == "only-new") {
      c.onlyNew = true;
    } else if (c.verb == ConsoleVerb::List && n == "hide-windows") {
      c.hideWindows = true;
    } else if (c.verb == ConsoleVerb::List && n == "hash") {
      c.hash = true;
    } else if (c.verb == ConsoleVerb::Compare && n == "ignore-windows") {
      c.ignoreWindows = true;
    } else if (switches && n == "whatif") {
      c.whatIf = true;
    } else {
      return fail("_ConsoleUnknownSwitch", arg);
    }
  }
  if (c.onlyOn && c.onlyOff) return fail("_ConsoleOnlyOnOrOff", {});
  if (c.verb == ConsoleVerb::Compare && c.baseline.empty()) return fail("_ConsoleNoBaseline", {});
  if (switches && c.ids.empty()) return fail("_ConsoleNoIds", verb);
  return parsed;
}

}  // namespace velmora
