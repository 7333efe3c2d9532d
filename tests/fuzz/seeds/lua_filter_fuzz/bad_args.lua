set_rgb(0/0, -1e308, nil, {}, "1")
