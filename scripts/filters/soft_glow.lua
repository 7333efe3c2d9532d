-- Soft glow: an intermediate result (a brightened, box-blurred copy) is
-- merged over the layer with the Screen mode, then the script goes on from
-- the merged picture (merge reads the layer back as the source).
-- sliderVal1 is the glow opacity as a fraction (1 = full).
local function clamp(v) if v < 0 then return 0 elseif v > 1 then return 1 end return v end
for y = 0, height - 1 do
  for x = 0, width - 1 do
    local r, g, b, n = 0, 0, 0, 0
    for dy = -1, 1 do
      for dx = -1, 1 do
        local xx, yy = x + dx, y + dy
        if xx >= 0 and xx < width and yy >= 0 and yy < height then
          local pr, pg, pb = get_rgb(xx, yy)
          r, g, b, n = r + pr, g + pg, b + pb, n + 1
        end
      end
    end
    set_rgb(x, y, clamp(r / n * 1.2), clamp(g / n * 1.2), clamp(b / n * 1.2))
  end
end
merge(MERGE_SCREEN, sliderVal1 > 0 and sliderVal1 or 1)
-- The result of the merge is now the source; the output starts from it too.
for y = 0, height - 1 do
  for x = 0, width - 1 do
    set_rgba(x, y, get_rgba(x, y))
  end
end
