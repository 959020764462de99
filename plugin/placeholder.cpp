// Keeps the plugin non-empty until the archiver lands.
