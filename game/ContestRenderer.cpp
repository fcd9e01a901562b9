#include "game/ContestRenderer.h"

#include <GL/gl.h>

#include <cmath>

#include "game/arena/Ground.h"
#include "game/assets/TextureCache.h"
#include "game/objects/Agent.h"
#include "game/objects/Archer.h"
#include "game/objects/GameWorld.h"
#include "game/objects/Knight.h"
#include "game/objects/Other.h"
#include "game/objects/Proj.h"
#include "game/objects/Shield.h"
#include "game/objects/Zombie.h"

namespace
{
constexpr unsigned int KnightFrame = 16;
constexpr unsigned int ArcherFrame = 12;
constexpr unsigned int BowFrame = 30;
constexpr unsigned int ZombieFrame = 28;
constexpr unsigned int MaceFrame = 32;
constexpr unsigned int FireballFrame = 37;
constexpr unsigned int ShieldFrame = 34;
constexpr unsigned int ArrowFrame = 41;
const b2Vec2 MaceAnchor(20.0f, 19.0f);
const b2Vec2 ArrowAnchor(23.0f, 24.0f);
constexpr char SheetName[] = "tiles";

b2Vec2 BodyPosition(b2Fixture* fixture)
{
	return fixture->GetBody()->GetPosition();
}

// A fighter reddens as its harm grows and fades out while it is down.
ContestRenderer::Sprite FighterSprite(const Agent& agent, unsigned int frame, float hurt, float fade)
{
	ContestRenderer::Sprite sprite;
	sprite.frame = frame;
	sprite.scale.x = ContestRenderer::PixelScale * agent.facing;
	sprite.color = b2Color(1.0f, 1.0f - hurt, 1.0f - hurt);
	sprite.alpha = fade;
	sprite.cullPoint = BodyPosition(agent.fixture);
	sprite.position = sprite.cullPoint + b2Vec2(0.0f, agent.bob);
	return sprite;
}
} // namespace

ContestRenderer::ContestRenderer(DebugDraw& draw)
	: draw(draw)
{
}

void ContestRenderer::Begin()
{
	spritesDrawn = 0;
	tilesDrawn = 0;
	glPushAttrib(GL_ALL_ATTRIB_BITS);
	sheet = Bind(SheetName);
	// Shrunk, a frame is sampled from smaller mipmap levels, whose texels
	// reach further than the half texel the sprite drawing keeps inside a
	// frame's edges; linear filtering there would still blend in the
	// neighbouring frame. The nearest texel within each level stays inside
	// the frame (frames are 32 pixels, so level edges follow frame edges).
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
}

void ContestRenderer::End()
{
	glPopAttrib();
}

Texture ContestRenderer::Bind(const std::string& name)
{
	const Texture texture = GetTexture(name);
	glEnable(GL_TEXTURE_2D);
	glEnable(GL_BLEND);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	glBindTexture(GL_TEXTURE_2D, texture.id);
	return texture;
}

void ContestRenderer::DrawTiles(const Ground& ground, const b2Vec2& lower, const b2Vec2& upper)
{
	if (!HasSheet())
	{
		return;
	}
	const int width = static_cast<int>(ground.width);
	const int height = static_cast<int>(ground.height);
	const int firstColumn = b2Max(static_cast<int>(lower.x / Ground::TileSize) - 1, 0);
	const int lastColumn = b2Min(static_cast<int>(upper.x / Ground::TileSize) + 1, width - 1);
	const int firstRow = b2Max(static_cast<int>(lower.y / Ground::TileSize) - 1, 0);
	const int lastRow = b2Min(static_cast<int>(upper.y / Ground::TileSize) + 1, height - 1);

	const b2Vec2 frameSize(FramePixels, FramePixels);
	const b2Vec2 anchor(0.0f, 0.0f);
	const b2Vec2 scale(PixelScale, PixelScale);
	const b2Color white(1.0f, 1.0f, 1.0f);
	for (int row = firstRow; row <= lastRow; ++row)
	{
		for (int column = firstColumn; column <= lastColumn; ++column)
		{
			const int code = ground.displayGrid[(height - 1 - row) * width + column];
			const b2Vec2 corner = Ground::Corner(column, row);
			draw.DrawSpriteFrame(sheet, frameSize, corner, anchor, scale, 0.0f, white, 1.0f,
				static_cast<unsigned int>(code - 1));
			++tilesDrawn;
		}
	}
}

void ContestRenderer::DrawObjects(const std::vector<GameObject*>& objects, const b2Vec2& lower, const b2Vec2& upper)
{
	const b2Vec2 frameSize(FramePixels, FramePixels);
	Sprite sprites[2];
	for (const GameObject* object : objects)
	{
		const int count = SpritesOf(*object, sprites);
		for (int i = 0; i < count; ++i)
		{
			const Sprite& s = sprites[i];
			if (!InView(s.cullPoint, lower, upper))
			{
				continue;
			}
			if (HasSheet())
			{
				draw.DrawSpriteFrame(sheet, frameSize, s.position, s.anchor, s.scale, s.angle, s.color, s.alpha,
					s.frame);
			}
			++spritesDrawn;
		}
	}
}

void ContestRenderer::DrawOverlay(const std::string& name, const b2Vec2& center, float zoom)
{
	// With no texture bound the quad would come out as a plain white box.
	if (Bind(name).id == 0)
	{
		return;
	}
	const float half = 0.5f * OverlayPixels;
	draw.DrawImage(b2Vec2(OverlayPixels, OverlayPixels), center, b2Vec2(half, half),
		b2Vec2(PixelScale * zoom, PixelScale * zoom));
}

bool ContestRenderer::InView(const b2Vec2& p, const b2Vec2& lower, const b2Vec2& upper)
{
	return lower.x <= p.x + CullMargin && lower.y <= p.y + CullMargin && p.x - CullMargin <= upper.x &&
		p.y - CullMargin <= upper.y;
}

namespace
{
using Sprite = ContestRenderer::Sprite;

int ArcherSprites(const Archer& archer, Sprite out[2])
{
	out[0] = FighterSprite(archer, ArcherFrame, archer.hurt, archer.fade);
	if (!archer.bowBody->IsEnabled())
	{
		return 1;
	}
	Sprite& bow = out[1];
	bow = Sprite();
	bow.frame = BowFrame;
	bow.angle = archer.bowBody->GetAngle() + ContestRenderer::ThreeQuarterPi;
	bow.position = archer.bowBody->GetPosition();
	bow.cullPoint = bow.position;
	return 2;
}

// A zombie reddens while it charges and fades with its health.
Sprite ZombieSprite(const Zombie& zombie)
{
	Sprite sprite;
	sprite.frame = ZombieFrame;
	sprite.color = b2Color(1.0f, 1.0f - zombie.charge, 1.0f - zombie.charge);
	sprite.alpha = zombie.health;
	sprite.cullPoint = BodyPosition(zombie.fixture);
	sprite.position = sprite.cullPoint + b2Vec2(0.0f, zombie.bob);
	return sprite;
}

// The ball points away from the knight that swings it; a mace whose knight
// is gone points the way a right-facing one would.
Sprite MaceSprite(const Proj& mace)
{
	Sprite sprite;
	sprite.frame = MaceFrame;
	sprite.anchor = MaceAnchor;
	sprite.position = BodyPosition(mace.fixture);
	sprite.cullPoint = sprite.position;
	float facing = 1.0f;
	b2Vec2 d(1.0f, 0.0f);
	const Agent* knight = mace.owner.Get(*GameWorldInstance);
	if (knight != nullptr)
	{
		facing = knight->facing;
		d = sprite.position - BodyPosition(knight->fixture);
	}
	sprite.scale.x = ContestRenderer::PixelScale * facing;
	const float turn = facing == 1.0f ? ContestRenderer::QuarterPi : ContestRenderer::ThreeQuarterPi;
	sprite.angle = std::atan2(d.y, d.x) - turn;
	return sprite;
}

Sprite FireballSprite(const Proj& fireball)
{
	Sprite sprite;
	sprite.frame = FireballFrame;
	sprite.position = BodyPosition(fireball.fixture);
	sprite.cullPoint = sprite.position;
	return sprite;
}

// The knight keeps the shield's body enabled only while it blocks: none
// otherwise.
int ShieldSprites(const Shield& shield, Sprite out[2])
{
	const b2Body* body = shield.fixture->GetBody();
	if (!body->IsEnabled())
	{
		return 0;
	}
	Sprite& sprite = out[0];
	sprite = Sprite();
	sprite.frame = ShieldFrame;
	sprite.scale.y = ContestRenderer::PixelScale * shield.facing;
	sprite.angle = body->GetAngle();
	sprite.position = body->GetPosition();
	sprite.cullPoint = sprite.position;
	return 1;
}

Sprite ArrowSprite(const Proj& arrow)
{
	const b2Body* body = arrow.fixture->GetBody();
	const b2Vec2 v = body->GetLinearVelocity();
	Sprite sprite;
	sprite.frame = ArrowFrame;
	sprite.anchor = ArrowAnchor;
	sprite.angle = std::atan2(v.y, v.x) - ContestRenderer::QuarterPi;
	sprite.position = body->GetPosition();
	sprite.cullPoint = sprite.position;
	return sprite;
}
} // namespace

int ContestRenderer::SpritesOf(const GameObject& object, Sprite out[2])
{
	switch (object.kind)
	{
	case KindKnight:
	{
		const Knight& knight = static_cast<const Knight&>(object);
		out[0] = FighterSprite(knight, KnightFrame, knight.hurt, knight.fade);
		return 1;
	}
	case KindOther:
	{
		const Other& other = static_cast<const Other&>(object);
		out[0] = FighterSprite(other, static_cast<unsigned int>(other.tile), other.hurt, other.fade);
		return 1;
	}
	case KindArcher:
		return ArcherSprites(static_cast<const Archer&>(object), out);
	case KindZombie:
		out[0] = ZombieSprite(static_cast<const Zombie&>(object));
		return 1;
	case KindMace:
		out[0] = MaceSprite(static_cast<const Proj&>(object));
		return 1;
	case KindFireball:
		out[0] = FireballSprite(static_cast<const Proj&>(object));
		return 1;
	case KindShield:
		return ShieldSprites(static_cast<const Shield&>(object), out);
	case KindArrow:
		out[0] = ArrowSprite(static_cast<const Proj&>(object));
		return 1;
	default:
		return 0;
	}
}
