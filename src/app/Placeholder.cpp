namespace zvk { int uiPlaceholder() { return 0; } }
