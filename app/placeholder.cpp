// Keeps the window library non-empty until the window lands.
