// qt_add_resources compiles the icons into an object library of their own and links it into every
// program that links dyad_icons, so nothing here needs to reference them; a static library still needs
// one source of its own.
