-- Vignette through the Mask: the first pass stores the fall-off from the
-- centre in the Mask (0 inside the radius sliderVal1, rising to 1 in the
-- corners), the second darkens every pixel by the Mask value read back.
-- The Mask keeps the vignette shape afterwards, as a selection of the edges.
local inner = sliderVal1 > 0 and sliderVal1 or 0.5
local cx, cy = (width - 1) / 2, (height - 1) / 2
local reach = math.sqrt(cx * cx + cy * cy)
if reach == 0 then reach = 1 end
for y = 0, height - 1 do
  for x = 0, width - 1 do
    local d = math.sqrt((x - cx) ^ 2 + (y - cy) ^ 2) / reach
    local m = (d - inner) / (1 - inner)
    if m < 0 then m = 0 elseif m > 1 then m = 1 end
    set_mask(x, y, m)
  end
end
for y = 0, height - 1 do
  for x = 0, width - 1 do
    local keep = 1 - get_mask(x, y)
    local r, g, b = get_rgb(x, y)
    set_rgb(x, y, r * keep, g * keep, b * keep)
  end
end
