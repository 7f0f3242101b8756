// Shows the on-screen keyboard when a text field of the catalogue gets the focus.
document.addEventListener("focusin", (event) => {
  if (event.target.matches("input[type=text], input[type=search], textarea")) {
    document.documentElement.dataset.keyboard = "shown";
  }
});
