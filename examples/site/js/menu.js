// Opens the menu window.
function openMenu() {
  var page = "http://www.example.com/menu.htm";
  window.open(page, "menu");
}
