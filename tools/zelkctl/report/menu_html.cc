// The toolbar and menus drawn as the browser draws them: entries in order, separators as
// rules, a switched-off entry struck through and dimmed with the key that took it away.
#include <string>

#include "tools/zelkctl/report/report_page.h"

namespace zelk::tools {
namespace {

size_t CountOff(const std::vector<Menu>& menus, size_t* total) {
  size_t off = 0;
  for (const Menu& menu : menus) {
    for (const MenuEntry& entry : menu.entries) {
      off += entry.on ? 0 : 1;
      ++*total;
    }
  }
  return off;
}

std::string IdClass(const CommandAnswer& answer) {
  if (!answer.allowed.has_value()) {
    return "id";
  }
  return *answer.allowed ? "id allowed" : "id refused";
}

void RenderCommands(const MenuEntry& entry, HtmlBuilder& html) {
  if (entry.commands.empty()) {
    return;
  }
  html.Open("span", {{"class", "ids"}});
  for (const CommandAnswer& answer : entry.commands) {
    const std::string said = !answer.allowed.has_value() ? "not asked"
                             : *answer.allowed           ? "CheckCommand allows it"
                                                         : "CheckCommand refuses it";
    html.Element("span", {{"class", IdClass(answer)}, {"title", said}}, std::to_string(answer.id));
  }
  html.Close("span");
}

void RenderEntry(const std::string& section, const MenuEntry& entry, HtmlBuilder& html) {
  std::string classes = entry.on ? "entry on" : "entry off";
  classes += entry.separator ? " separator" : "";
  html.Open("li", {{"class", classes},
                   {"data-key", section + "/" + entry.key},
                   {"title", section + "/" + entry.key + (entry.on ? "" : "=FALSE")}});
  if (entry.separator) {
    html.Markup("<span class=\"rule\"></span>");
  } else if (entry.on) {
    html.Element("span", {{"class", "label"}}, entry.label);
  } else {
    html.Open("s", {{"class", "label"}}).Text(entry.label).Close("s");
  }
  if (!entry.on) {
    html.Element("code", {{"class", "key"}}, entry.key + "=FALSE");
  }
  RenderCommands(entry, html);
  html.Close("li");
}

void RenderMenu(const Menu& menu, HtmlBuilder& html) {
  html.Open("div",
            {{"class", menu.toolbar ? "menu toolbar" : "menu"}, {"id", "menu-" + menu.section}});
  html.Open("h3").Text(menu.title).Markup(" ");
  html.Element("code", {{"class", "section"}}, "[" + menu.section + "]").Close("h3");
  html.Open("ul", {{"class", "entries"}});
  for (const MenuEntry& entry : menu.entries) {
    RenderEntry(menu.section, entry, html);
  }
  html.Close("ul").Close("div");
}

}  // namespace

void RenderMenus(const ReportModel& model, HtmlBuilder& html) {
  size_t total = 0;
  const size_t off = CountOff(model.menus, &total);
  html.Open("div", {{"class", "part"}, {"id", "menus"}});
  html.Element("h2", {}, "Toolbar and menus");
  html.Element("p", {{"class", "summary"}},
               std::to_string(off) + " of " + std::to_string(total) +
                   " entries are switched off. An entry struck through and dimmed is one the "
                   "browser does not offer; beside it, the key that takes it away. The numbers "
                   "are the command ids each entry governs, green where the library lets the "
                   "command run and red where it refuses it.");
  if (!model.command_note.empty()) {
    html.Element("p", {{"class", "note"}}, model.command_note);
  }
  html.Open("div", {{"class", "menus"}});
  for (const Menu& menu : model.menus) {
    RenderMenu(menu, html);
  }
  html.Close("div").Close("div");
}

}  // namespace zelk::tools
