// placeholder, replaced by the key-path rules
