-- Channel swap through HSL: the hue turns by 120 degrees per style step
-- (styleVal1 = i1 + 1), so red becomes green, green blue and blue red.
local turn = 120 * styleVal1
for y = 0, height - 1 do
  for x = 0, width - 1 do
    local h, s, l = get_hsl(x, y)
    if s > 0 then set_hsl(x, y, (h + turn) % 360, s, l) end
  end
end
