for y = 0, height - 1 do for x = 0, width - 1 do
  local r, g, b = get_rgb(x, y) set_rgb(x, y, b, g, r)
end end
