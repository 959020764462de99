// Keeps the front-end library non-empty until the headless front end lands.
