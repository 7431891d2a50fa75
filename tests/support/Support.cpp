namespace zvk::test { int supportPlaceholder() { return 0; } }
